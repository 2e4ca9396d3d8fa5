#pragma once

#include "platform/inet/Inet.h"
#include "updater/app/Form1Controls.h"
#include "updater/app/UpdateRun.h"
#include "updater/app/UpdaterConfig.h"

#include <QWidget>
#include <optional>

// The updater's one window: shows the installed and the latest version,
// offers the update, follows its download on the bar and tells the user how
// it ended. The update itself is an UpdateRun; the window starts the product
// and ends the program.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(const UpdaterConfig& config, QWidget* parent = nullptr);

    // The start-up check; the caller shows the window afterwards unless the
    // program has ended.
    void Form_Load();
    void Command1_Click(); // アップデート開始
    void Command2_Click(); // キャンセル: the product without an update
    void Command3_Click(); // バージョン確認
    void Command4_Click(); // the notice page into Text5
    void inet1_StateChanged(int State);

    Inet& inet1() { return inet1_; }
    Inet& inetDesiredURL() { return inetDesiredURL_; }
    UpdateRun& updateRun() { return run_; }
    const Form1Controls& controls() const { return c_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The check as the window shows it; nothing when the window was closed
    // while the page was awaited.
    std::optional<UpdateRun::Outcome> checkVersion();
    void offerOrEnd(std::optional<UpdateRun::Outcome> checked, bool announceNewer);
    void endWithProduct(UpdateRun::Outcome checked);
    void showProgress(double percent);
    void downloadFinished(UpdateRun::Outcome outcome);

    UpdaterConfig config_;
    Form1Controls c_;
    // Declared before the run, which uses them until it goes.
    Inet inetDesiredURL_;
    Inet inet1_;
    UpdateRun run_;
    bool closed_ = false;
};
