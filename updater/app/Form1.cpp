#include "updater/app/Form1.h"

#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"
#include "platform/shell/SettingsStore.h"
#include "updater/app/NoticeText.h"
#include "updater/app/StagedInstall.h"
#include "updater/app/VersionNumber.h"
#include "updater/lha/ClassLHa.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>
#include <limits>

namespace {

const QString kStoreApplication = QStringLiteral("RedudUrazE");
const QString kStoreSection = QStringLiteral("Settings");

const QString kCurrentMessage = QStringLiteral("現在のバージョンが最新です。終了します。");
const QString kUnknownMessage = QStringLiteral("バージョン情報を取得できませんでした。");
const QString kNewerMessage = QStringLiteral("最新版があります。バージョンアップしてください。");
const QString kDoneMessage = QStringLiteral("バージョンアップが完了しました。バージョンを確認してください。");
const QString kFailedMessage = QStringLiteral("ダウンロードに失敗しました。");
const QString kWarningTitle = QStringLiteral("警告");

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

Form1::Form1(const UpdaterConfig& config, QWidget* parent)
    : QWidget(parent), config_(config), c_(Form1Controls::build(this, config))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(config_.caption);
    setAttribute(Qt::WA_QuitOnClose);
    inetDesiredURL_.setObjectName(QStringLiteral("inetDesiredURL"));
    inet1_.setObjectName(QStringLiteral("inet1"));
    connect(c_.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(c_.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(c_.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(&inet1_, &Inet::StateChanged, this, &Form1::inet1_StateChanged);
}

Form1::~Form1()
{
    if (downloading_)
        abandonDownload();
}

QString Form1::updaterFolder() const
{
    return ProgramFolder::path();
}

QString Form1::localArchivePath() const
{
    return QDir(updaterFolder()).filePath(UpdaterConfig::bareName(config_.localArchiveName));
}

ProductProgram Form1::product() const
{
    return ProductProgram(updaterFolder(), config_.productFileName());
}

ProductAside Form1::productAside() const
{
    return ProductAside(product().path());
}

QString Form1::FileNameFromURL(const QString& url)
{
    return url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
}

void Form1::Form_Load()
{
    c_.Text4->setText(
        SettingsStore::read(kStoreApplication, kStoreSection, config_.versionKey, config_.defaultVersion));
    if (config_.productAsideDuringDownload)
        productAside().settleLeftover();
    StagedInstall::removeLeftovers(updaterFolder());
    if (config_.showBeforeCheck)
        show();
    const CheckResult result = fetchAndCompare();
    if (result == CheckResult::Newer) {
        if (config_.hasNotice())
            Command4_Click();
        if (closed_) {
            ProgramExit::endNow();
            return;
        }
        c_.Command1->setEnabled(true);
        return;
    }
    endWithProduct(result);
}

void Form1::Command3_Click()
{
    // A check that ends the program must not cut a download short.
    if (downloading_)
        return;
    const CheckResult result = fetchAndCompare();
    if (result == CheckResult::Newer) {
        if (config_.hasNotice())
            Command4_Click();
        if (closed_) {
            ProgramExit::endNow();
            return;
        }
        MessageBox::show(this, kNewerMessage, {}, MessageBox::Icon::Information);
        c_.Command1->setEnabled(true);
        return;
    }
    endWithProduct(result);
}

void Form1::Command2_Click()
{
    if (downloading_)
        abandonDownload();
    const ProductProgram program = product();
    if (program.start() == ProductProgram::StartResult::Failed) {
        MessageBox::show(
            this, QStringLiteral("%1 を起動できませんでした。").arg(QDir::toNativeSeparators(program.path())),
            kWarningTitle, MessageBox::Icon::Exclamation);
    }
    ProgramExit::endNow();
}

void Form1::endWithProduct(CheckResult result)
{
    // A close while the page was awaited ends the program, as a close does at any other moment.
    if (result == CheckResult::Closed) {
        ProgramExit::endNow();
        return;
    }
    hide();
    MessageBox::show(nullptr, result == CheckResult::Current ? kCurrentMessage : kUnknownMessage, {},
                     MessageBox::Icon::Information);
    product().start();
    ProgramExit::endNow();
}

QString Form1::fetchPage(const QString& url)
{
    txtURL_ = url;
    setCursor(Qt::WaitCursor);
    txtResult_.clear();
    QCoreApplication::processEvents();
    txtResult_ = inetDesiredURL_.OpenURL(txtURL_);
    unsetCursor();
    return txtResult_;
}

Form1::CheckResult Form1::fetchAndCompare()
{
    txtResult_.clear();
    txtURL_.clear();
    c_.Text2->clear();
    const QString page = fetchPage(config_.url(config_.versionPage));
    if (closed_)
        return CheckResult::Closed;
    // A page that cannot be read tells nothing about the latest version.
    const std::optional<QString> latest = VersionNumber::fromVersionPage(page);
    if (!latest)
        return CheckResult::Unknown;
    c_.Text2->setText(*latest);
    const std::optional<double> latestValue = VersionNumber::read(*latest);
    if (!latestValue)
        return CheckResult::Unknown;
    return VersionNumber::value(c_.Text4->text()) < *latestValue ? CheckResult::Newer : CheckResult::Current;
}

void Form1::Command4_Click()
{
    txtResult_.clear();
    txtURL_.clear();
    c_.Text5->clear();
    const QString page = fetchPage(config_.url(config_.noticePage));
    if (page.isEmpty())
        return;
    QString notice = NoticeText::fromPage(page);
    notice.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c_.Text5->setPlainText(notice);
}

void Form1::Command1_Click()
{
    if (downloading_)
        return;
    if (config_.productAsideDuringDownload) {
        // A running product cannot be replaced: the click does nothing.
        if (product().isRunning() || !productAside().moveAside())
            return;
    }
    progress_.reset();
    c_.ProgressBar1->setValue(0);
    if (!inet1_.Execute(config_.url(config_.archiveUrlName), QStringLiteral("GET"))) {
        if (config_.productAsideDuringDownload)
            productAside().restore();
        return;
    }
    downloading_ = true;
    ++downloadRun_;
}

void Form1::inet1_StateChanged(int State)
{
    if (!downloading_)
        return;
    if (State == Inet::Error) {
        failDownload();
        return;
    }
    if (State != Inet::ResponseCompleted)
        return;
    const std::optional<long long> length = contentLength(inet1_.GetHeader(QStringLiteral("Content-length")));
    if (!length) {
        failDownload();
        return;
    }
    const quint64 run = downloadRun_;
    if (!writeDownload(*length)) {
        if (run == downloadRun_ && downloading_)
            failDownload();
        return;
    }
    installDownload();
}

// Writes the body piece by piece; the window runs whenever the bar moves, so it
// stays usable without paying for a yield per piece. The file takes the
// archive's name only once it is whole. False when the download failed or was
// abandoned meanwhile.
bool Form1::writeDownload(long long contentLength)
{
    const quint64 run = downloadRun_;
    progress_.start(contentLength);
    download_ = std::make_unique<QSaveFile>(
        QDir(updaterFolder()).filePath(FileNameFromURL(config_.url(config_.archiveUrlName))));
    if (!download_->open(QIODevice::WriteOnly))
        return false;
    long long written = 0;
    QByteArray piece;
    inet1_.GetChunk(piece, DownloadProgress::kPieceBytes);
    QCoreApplication::processEvents();
    while (true) {
        if (run != downloadRun_ || !download_)
            return false;
        if (download_->write(piece) != piece.size())
            return false;
        written += piece.size();
        progress_.advance();
        const bool barMoved = showProgress();
        inet1_.GetChunk(piece, DownloadProgress::kPieceBytes);
        if (barMoved) {
            QCoreApplication::processEvents();
            if (run != downloadRun_ || !download_)
                return false;
        }
        if (piece.isEmpty())
            break;
    }
    // Whole when every announced byte arrived: the rounded steps of the bar
    // add up to less than 99 for some large archives.
    if (written != contentLength)
        return false;
    const bool committed = download_->commit();
    download_.reset();
    return committed;
}

void Form1::installDownload()
{
    const QString archive = localArchivePath();
    const bool installed = installStaged(archive);
    QFile::remove(archive);
    if (!installed) {
        failDownload();
        return;
    }
    if (config_.productAsideDuringDownload)
        productAside().discard();
    downloading_ = false;
    inet1_.Cancel();
    hide();
    MessageBox::show(nullptr, kDoneMessage, {}, MessageBox::Icon::Information);
    product().start();
    ProgramExit::endNow();
}

// Extracts into a staging folder and moves the files into place only when
// every member extracted, so a failed update leaves the product as it was. The
// staging folder is gone when this returns: the program may end right after.
bool Form1::installStaged(const QString& archive)
{
    StagedInstall staged(updaterFolder());
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

void Form1::failDownload()
{
    abandonDownload();
    MessageBox::show(this, kFailedMessage, {}, MessageBox::Icon::Critical);
}

void Form1::abandonDownload()
{
    downloading_ = false;
    ++downloadRun_;
    inet1_.Cancel();
    // An uncommitted save file removes its temporary file when it goes.
    download_.reset();
    if (config_.productAsideDuringDownload)
        productAside().restore();
}

bool Form1::showProgress()
{
    const int barValue = static_cast<int>(std::floor(progress_.value()));
    if (barValue == c_.ProgressBar1->value())
        return false;
    c_.ProgressBar1->setValue(barValue);
    emit progressChanged(progress_.value());
    return true;
}

void Form1::closeEvent(QCloseEvent* event)
{
    closed_ = true;
    if (downloading_)
        abandonDownload();
    event->accept();
}
