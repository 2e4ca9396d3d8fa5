#include "updater/app/UpdateRun.h"

#include "platform/inet/Inet.h"
#include "platform/shell/SettingsStore.h"
#include "updater/app/NoticeText.h"
#include "updater/app/StagedInstall.h"
#include "updater/app/VersionNumber.h"
#include "updater/lha/ClassLHa.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString kStoreApplication = QStringLiteral("RedudUrazE");
const QString kStoreSection = QStringLiteral("Settings");

// Members the archiver gets as wildcards: blanks, so that none is singled out.
const QString kAllMembers = QString(17, QLatin1Char(' '));

// The Content-length header as a byte count; nothing when it is not one.
std::optional<long long> contentLength(const QString& header)
{
    bool ok = false;
    const long long length = header.trimmed().toLongLong(&ok);
    if (!ok || !DownloadProgress::validLength(length) || length > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return length;
}

} // namespace

UpdateRun::UpdateRun(const UpdaterConfig& config, const QString& folder, Inet& pageFetch, Inet& download,
                     QObject* parent)
    : QObject(parent), config_(config), folder_(folder), pageFetch_(pageFetch), download_(download)
{
}

UpdateRun::~UpdateRun()
{
    abandon();
}

QString UpdateRun::localArchivePath() const
{
    return QDir(folder_).filePath(UpdaterConfig::bareName(config_.localArchiveName));
}

ProductProgram UpdateRun::product() const
{
    return ProductProgram(folder_, config_.productFileName());
}

ProductAside UpdateRun::productAside() const
{
    return ProductAside(product().path());
}

QString UpdateRun::FileNameFromURL(const QString& url)
{
    return url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
}

QString UpdateRun::installedVersion() const
{
    return SettingsStore::read(kStoreApplication, kStoreSection, config_.versionKey, config_.defaultVersion);
}

void UpdateRun::settleLeftovers()
{
    if (config_.productAsideDuringDownload)
        productAside().settleLeftover();
    StagedInstall::removeLeftovers(folder_);
}

UpdateRun::VersionCheck UpdateRun::check(const QString& installed)
{
    const QString page = pageFetch_.OpenURL(config_.url(config_.versionPage));
    // A page that cannot be read tells nothing about the latest version.
    const std::optional<QString> latest = VersionNumber::fromVersionPage(page);
    if (!latest)
        return {Outcome::VersionUnknown, {}};
    const std::optional<double> latestValue = VersionNumber::read(*latest);
    if (!latestValue)
        return {Outcome::VersionUnknown, *latest};
    const bool newer = VersionNumber::value(installed) < *latestValue;
    return {newer ? Outcome::NewerVersion : Outcome::UpToDate, *latest};
}

QString UpdateRun::fetchNotice()
{
    const QString page = pageFetch_.OpenURL(config_.url(config_.noticePage));
    if (page.isEmpty())
        return {};
    QString notice = NoticeText::fromPage(page);
    notice.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return notice;
}

bool UpdateRun::startDownload()
{
    if (downloading_)
        return false;
    if (config_.productAsideDuringDownload) {
        // A running product cannot be replaced.
        if (product().isRunning() || !productAside().moveAside())
            return false;
    }
    progress_.reset();
    shownPercent_ = 0;
    emit progressChanged(0.0);
    if (!download_.Execute(config_.url(config_.archiveUrlName), QStringLiteral("GET"))) {
        if (config_.productAsideDuringDownload)
            productAside().restore();
        return false;
    }
    downloading_ = true;
    ++downloadRun_;
    return true;
}

void UpdateRun::downloadStateChanged(int state)
{
    if (!downloading_)
        return;
    if (state == Inet::Error) {
        fail(Outcome::DownloadFailed);
        return;
    }
    if (state != Inet::ResponseCompleted)
        return;
    const std::optional<long long> length =
        contentLength(download_.GetHeader(QStringLiteral("Content-length")));
    if (!length) {
        fail(Outcome::DownloadFailed);
        return;
    }
    const quint64 run = downloadRun_;
    if (!writeArchive(*length)) {
        if (run == downloadRun_ && downloading_)
            fail(Outcome::DownloadFailed);
        return;
    }
    install();
}

// Writes the body piece by piece; the event loop runs whenever the shown
// percent moves, so a window stays usable without paying for a yield per
// piece. The file takes the archive's name only once it is whole. False when
// the download failed or was abandoned meanwhile.
bool UpdateRun::writeArchive(long long contentLength)
{
    const quint64 run = downloadRun_;
    progress_.start(contentLength);
    archiveFile_ = std::make_unique<QSaveFile>(
        QDir(folder_).filePath(FileNameFromURL(config_.url(config_.archiveUrlName))));
    if (!archiveFile_->open(QIODevice::WriteOnly))
        return false;
    long long written = 0;
    QByteArray piece;
    download_.GetChunk(piece, DownloadProgress::kPieceBytes);
    QCoreApplication::processEvents();
    while (true) {
        if (run != downloadRun_ || !archiveFile_)
            return false;
        if (archiveFile_->write(piece) != piece.size())
            return false;
        written += piece.size();
        progress_.advance();
        const bool moved = reportProgress();
        download_.GetChunk(piece, DownloadProgress::kPieceBytes);
        if (moved) {
            QCoreApplication::processEvents();
            if (run != downloadRun_ || !archiveFile_)
                return false;
        }
        if (piece.isEmpty())
            break;
    }
    // Whole when every announced byte arrived: the rounded progress steps add
    // up to less than 99 for some large archives.
    if (written != contentLength)
        return false;
    const bool committed = archiveFile_->commit();
    archiveFile_.reset();
    return committed;
}

void UpdateRun::install()
{
    const QString archive = localArchivePath();
    const bool installed = installStaged(archive);
    QFile::remove(archive);
    if (!installed) {
        fail(Outcome::ExtractionFailed);
        return;
    }
    if (config_.productAsideDuringDownload)
        productAside().discard();
    downloading_ = false;
    download_.Cancel();
    emit finished(Outcome::Installed);
}

// Extracts into a staging folder and moves the files into place only when
// every member extracted, so a failed update leaves the product as it was. The
// staging folder is gone when this returns: the program may end right after.
bool UpdateRun::installStaged(const QString& archive)
{
    StagedInstall staged(folder_);
    if (!staged.isValid())
        return false;
    int extracted = 0;
    try {
        ClassLHa lha;
        extracted = lha.Unlha(QString(), archive, staged.folder(), kAllMembers);
    } catch (const LhaError&) {
        extracted = 0;
    }
    // The old product goes only once the archive brings a new one.
    const bool bringsProduct =
        !config_.productAsideDuringDownload || staged.hasFile(config_.productFileName());
    return extracted > 0 && bringsProduct && staged.commit();
}

void UpdateRun::fail(Outcome outcome)
{
    abandon();
    emit finished(outcome);
}

void UpdateRun::abandon()
{
    if (!downloading_)
        return;
    downloading_ = false;
    ++downloadRun_;
    download_.Cancel();
    // An uncommitted save file removes its temporary file when it goes.
    archiveFile_.reset();
    if (config_.productAsideDuringDownload)
        productAside().restore();
}

bool UpdateRun::reportProgress()
{
    const int whole = static_cast<int>(std::floor(progress_.value()));
    if (whole == shownPercent_)
        return false;
    shownPercent_ = whole;
    emit progressChanged(progress_.value());
    return true;
}
