#include "updater/app/Form1.h"

#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

namespace {

const QString kCurrentMessage = QStringLiteral("現在のバージョンが最新です。終了します。");
const QString kUnknownMessage = QStringLiteral("バージョン情報を取得できませんでした。");
const QString kNewerMessage = QStringLiteral("最新版があります。バージョンアップしてください。");
const QString kDoneMessage = QStringLiteral("バージョンアップが完了しました。バージョンを確認してください。");
const QString kFailedMessage = QStringLiteral("ダウンロードに失敗しました。");
const QString kWarningTitle = QStringLiteral("警告");

// A page fetch blocks the window: the hourglass is drawn before it starts.
template <typename Fetch> auto underHourglass(QWidget* window, Fetch fetch)
{
    window->setCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
    auto result = fetch();
    window->unsetCursor();
    return result;
}

} // namespace

Form1::Form1(const UpdaterConfig& config, QWidget* parent)
    : QWidget(parent), config_(config), c_(Form1Controls::build(this, config)),
      run_(config, ProgramFolder::path(), inetDesiredURL_, inet1_)
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
    connect(&run_, &UpdateRun::progressChanged, this, &Form1::showProgress);
    connect(&run_, &UpdateRun::finished, this, &Form1::downloadFinished);
}

void Form1::Form_Load()
{
    c_.Text4->setText(run_.installedVersion());
    run_.settleLeftovers();
    if (config_.showBeforeCheck)
        show();
    offerOrEnd(checkVersion(), false);
}

void Form1::Command3_Click()
{
    // A check that ends the program must not cut a download short.
    if (run_.isDownloading())
        return;
    offerOrEnd(checkVersion(), true);
}

void Form1::Command2_Click()
{
    run_.abandon();
    const ProductProgram program = run_.product();
    if (program.start() == ProductProgram::StartResult::Failed) {
        MessageBox::show(
            this, QStringLiteral("%1 を起動できませんでした。").arg(QDir::toNativeSeparators(program.path())),
            kWarningTitle, MessageBox::Icon::Exclamation);
    }
    ProgramExit::endNow();
}

void Form1::Command4_Click()
{
    c_.Text5->clear();
    const QString notice = underHourglass(this, [this] { return run_.fetchNotice(); });
    if (!notice.isEmpty())
        c_.Text5->setPlainText(notice);
}

void Form1::Command1_Click()
{
    // A second click while the archive downloads starts nothing.
    run_.startDownload();
}

void Form1::inet1_StateChanged(int State)
{
    run_.downloadStateChanged(State);
}

std::optional<UpdateRun::Outcome> Form1::checkVersion()
{
    c_.Text2->clear();
    const UpdateRun::VersionCheck checked =
        underHourglass(this, [this] { return run_.check(c_.Text4->text()); });
    if (closed_)
        return std::nullopt;
    c_.Text2->setText(checked.latest);
    return checked.outcome;
}

void Form1::offerOrEnd(std::optional<UpdateRun::Outcome> checked, bool announceNewer)
{
    // A close while a page was awaited ends the program, as a close does at any other moment.
    if (!checked) {
        ProgramExit::endNow();
        return;
    }
    if (*checked != UpdateRun::Outcome::NewerVersion) {
        endWithProduct(*checked);
        return;
    }
    if (config_.hasNotice())
        Command4_Click();
    if (closed_) {
        ProgramExit::endNow();
        return;
    }
    if (announceNewer)
        MessageBox::show(this, kNewerMessage, {}, MessageBox::Icon::Information);
    c_.Command1->setEnabled(true);
}

void Form1::endWithProduct(UpdateRun::Outcome checked)
{
    hide();
    MessageBox::show(nullptr, checked == UpdateRun::Outcome::UpToDate ? kCurrentMessage : kUnknownMessage, {},
                     MessageBox::Icon::Information);
    run_.product().start();
    ProgramExit::endNow();
}

void Form1::showProgress(double percent)
{
    c_.ProgressBar1->setValue(static_cast<int>(std::floor(percent)));
}

void Form1::downloadFinished(UpdateRun::Outcome outcome)
{
    if (outcome != UpdateRun::Outcome::Installed) {
        MessageBox::show(this, kFailedMessage, {}, MessageBox::Icon::Critical);
        return;
    }
    hide();
    MessageBox::show(nullptr, kDoneMessage, {}, MessageBox::Icon::Information);
    run_.product().start();
    ProgramExit::endNow();
}

void Form1::closeEvent(QCloseEvent* event)
{
    closed_ = true;
    run_.abandon();
    event->accept();
}
