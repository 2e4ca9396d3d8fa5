#pragma once

#include "platform/inet/Inet.h"
#include "updater/app/DownloadProgress.h"
#include "updater/app/Form1Controls.h"
#include "updater/app/ProductAside.h"
#include "updater/app/ProductProgram.h"
#include "updater/app/UpdaterConfig.h"

#include <QSaveFile>
#include <QWidget>
#include <memory>

// The updater's one window: checks the installed version of the product
// against the vendor's version page, offers the update, downloads and
// extracts it into the updater's folder, then starts the product and ends.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(const UpdaterConfig& config, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up check; the caller shows the window afterwards unless the
    // program has ended.
    void Form_Load();
    void Command1_Click(); // アップデート開始
    void Command2_Click(); // キャンセル: the product without an update
    void Command3_Click(); // バージョン確認
    void Command4_Click(); // the notice page into Text5
    void inet1_StateChanged(int State);

    static QString FileNameFromURL(const QString& url);

    Inet& inet1() { return inet1_; }
    Inet& inetDesiredURL() { return inetDesiredURL_; }
    const Form1Controls& controls() const { return c_; }
    float progressValue() const { return progress_.value(); }
    bool downloading() const { return downloading_; }

signals:
    void progressChanged(double value);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class CheckResult
    {
        Newer,
        Current,
        Unknown,
        Closed // the window was closed while the page was awaited
    };

    CheckResult fetchAndCompare();
    QString fetchPage(const QString& url);
    void endWithProduct(CheckResult result);
    void installDownload();
    bool installStaged(const QString& archive);
    bool writeDownload(long long contentLength);
    void failDownload();
    void abandonDownload();
    // True when the bar's value changed, which is when the window gets to run.
    bool showProgress();
    QString updaterFolder() const;
    QString localArchivePath() const;
    ProductProgram product() const;
    ProductAside productAside() const;

    UpdaterConfig config_;
    Form1Controls c_;
    Inet inetDesiredURL_;
    Inet inet1_;
    QString txtURL_;
    QString txtResult_;
    DownloadProgress progress_;
    std::unique_ptr<QSaveFile> download_;
    bool downloading_ = false;
    bool closed_ = false;
    quint64 downloadRun_ = 0;
};
