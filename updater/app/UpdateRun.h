#pragma once

#include "updater/app/DownloadProgress.h"
#include "updater/app/ProductAside.h"
#include "updater/app/ProductProgram.h"
#include "updater/app/UpdaterConfig.h"

#include <QObject>
#include <QSaveFile>
#include <QString>
#include <memory>

class Inet;

// One update of the product in the updater's folder, without a window: the
// version check and the notice page (blocking fetches on one transfer
// control), the download of the archive on the other, written to a temporary
// file that takes the archive's name only when every announced byte arrived,
// its extraction through ClassLHa into a staging folder whose files move into
// place only when every member extracted, and, where the build says so, the
// product program kept aside during the download and put back when the update
// does not complete.
//
// The download runs on the event loop: the owner feeds the download control's
// StateChanged to downloadStateChanged(), and the run ends with finished().
// While the pieces are written the event loop runs whenever the shown whole
// percent changes, so abandon() may come in between.
class UpdateRun : public QObject
{
    Q_OBJECT
public:
    // What a version check or an update came to.
    enum class Outcome
    {
        NewerVersion, // the check found an update to offer
        UpToDate,
        VersionUnknown, // no version could be read from the version page
        Installed,
        DownloadFailed,
        ExtractionFailed, // the archive arrived whole but did not install; nothing changed
    };
    Q_ENUM(Outcome)

    struct VersionCheck
    {
        Outcome outcome; // NewerVersion, UpToDate or VersionUnknown
        QString latest;  // the latest version as the page gives it; empty when it has none
    };

    UpdateRun(const UpdaterConfig& config, const QString& folder, Inet& pageFetch, Inet& download,
              QObject* parent = nullptr);
    ~UpdateRun() override;

    // The installed version as the product recorded it in the settings store.
    QString installedVersion() const;
    // Puts right what a run that was killed left behind: the product program
    // kept aside, staging folders.
    void settleLeftovers();
    // Compares installed with the version page's latest version.
    VersionCheck check(const QString& installed);
    // The notice page as plain text; empty when the page cannot be fetched.
    QString fetchNotice();

    // False, and nothing changed, when the download cannot start: one runs
    // already, the product is to be kept aside but runs or cannot be moved, or
    // the request is refused.
    bool startDownload();
    void downloadStateChanged(int state);
    // Ends a running download without finished(): the partial file goes, the
    // product is put back. Nothing when no download runs.
    void abandon();
    bool isDownloading() const { return downloading_; }

    ProductProgram product() const;
    // The file name part of a URL: what follows its last "/".
    static QString FileNameFromURL(const QString& url);

signals:
    // The download's progress in percent, reported when its whole part
    // changes; 0 when a download starts.
    void progressChanged(double percent);
    // The download ended: Installed, DownloadFailed or ExtractionFailed.
    void finished(UpdateRun::Outcome outcome);

private:
    bool writeArchive(long long contentLength);
    void install();
    bool installStaged(const QString& archive);
    void fail(Outcome outcome);
    // True when the whole percent changed, which is when the event loop gets to run.
    bool reportProgress();
    QString localArchivePath() const;
    ProductAside productAside() const;

    UpdaterConfig config_;
    QString folder_;
    Inet& pageFetch_;
    Inet& download_;
    DownloadProgress progress_;
    int shownPercent_ = 0;
    std::unique_ptr<QSaveFile> archiveFile_;
    bool downloading_ = false;
    // Counts downloads started and abandoned, so a piece loop notices that its download is gone.
    quint64 downloadRun_ = 0;
};
