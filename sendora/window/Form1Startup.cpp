// Start-up, unload, the submission panel's buttons, the administrator code and
// the date pickers' close-up.
#include "platform/dialogs/InputBox.h"
#include "platform/ui/Twips.h"
#include "platform/shell/Clock.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"
#include "platform/shell/SettingsStore.h"
#include "platform/shell/SingleInstance.h"
#include "sendora/session/SendoraSettings.h"
#include "sendora/session/TlsSetting.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/submission/DayRange.h"
#include "sendora/submission/PassDataFile.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/Form1.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#ifndef SENDORA_DEFAULT_FTP_HOST
#define SENDORA_DEFAULT_FTP_HOST "ftp.example.invalid"
#endif

namespace {

const QString& kApplication = SendoraSettings::kApplication;
const QString& kSection = SendoraSettings::kSection;
const QString kAdministratorCode = QStringLiteral("2759");

QString readSetting(const QString& key, const QString& defaultValue)
{
    return SettingsStore::read(kApplication, kSection, key, defaultValue);
}

} // namespace

void Form1::Form_Load()
{
    const QDate today = Clock::today();
    DTPicker1[0]->setDate(today.addDays(-30));
    DTPicker1[1]->setDate(today);
    Label6->setText(QString::number(DayRange::dayCount(DTPicker1[0]->date(), DTPicker1[1]->date())));

    instance_ = std::make_unique<SingleInstance>(QStringLiteral("Sendora"));
    if (instance_->anotherInstanceRunning()) {
        ProgramExit::endNow();
        return;
    }

    browser_->openSession();

    txtPath->setText(QString());

    imlImage.Clear();
    imlImage.setImageSize(QSize(16, 16));
    imlImage.BackColor = palette().color(QPalette::Base);
    imlImage.MaskColor = QColor(0xff, 0x00, 0xff);
    imlImage.Add(RemoteListView::kFilePicture, MakeListIcon(0));
    imlImage.Add(RemoteListView::kFolderPicture, MakeListIcon(3));

    lvwList->setIconSize(imlImage.imageSize());
    lvwList->addColumn(QStringLiteral("NAME"), QStringLiteral("ファイル名"), Twips::toPixels(2000),
                       Qt::AlignLeft);
    lvwList->addColumn(QStringLiteral("SIZE"), QStringLiteral("サイズ"), Twips::toPixels(1000),
                       Qt::AlignRight);
    lvwList->addColumn(QStringLiteral("ACCESS"), QStringLiteral("更新日"), Twips::toPixels(1000),
                       Qt::AlignLeft);
    lvwList->addColumn(QStringLiteral("ATTR"), QStringLiteral("属性"), Twips::toPixels(1000), Qt::AlignLeft);

    const QStringList lines = PassDataFile::read(SubmissionPaths::passDataPath(ProgramFolder::path()));
    for (qsizetype k = 0; k < lines.size() && k < qsizetype(Text1.size()); ++k)
        Text1[static_cast<size_t>(k)]->setText(lines[k]);

    Label5->setText(readSetting(QStringLiteral("Verificford"), QStringLiteral("10")));

    txtServer->setText(readSetting(QStringLiteral("VerificPass1"), QStringLiteral(SENDORA_DEFAULT_FTP_HOST)));
    txtUser->setText(readSetting(QStringLiteral("VerificPass2"), QStringLiteral("kvbtq518")));
    txtPass->setText(readSetting(QStringLiteral("VerificPass3"), QStringLiteral("hdn407")));
    browser_->client()->setTlsPolicy(TlsSetting::read());
}

void Form1::Form_Unload()
{
    browser_->releaseSession();
    SettingsStore::write(kApplication, kSection, QStringLiteral("VerificPass1"), txtServer->text().trimmed());
    SettingsStore::write(kApplication, kSection, QStringLiteral("VerificPass2"), txtUser->text().trimmed());
    SettingsStore::write(kApplication, kSection, QStringLiteral("VerificPass3"), txtPass->text().trimmed());
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (browser_->commandRunning()) {
        // Delivered inside a wait, or at a yield: the call in progress (if any)
        // ends now, the command stops at its next step, then the window closes.
        browser_->closeAfterCommand();
        event->ignore();
        return;
    }
    if (!unloaded_ && !ProgramExit::endRequested()) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}

void Form1::Check3_Click(int Index)
{
    if (Index == 0 && Check3[0]->isChecked())
        Check3[1]->setChecked(false);
    if (Index == 1 && Check3[1]->isChecked())
        Check3[0]->setChecked(false);
}

void Form1::Option3_Click()
{
    {
        FtpBrowser::CommandScope scope(*browser_);
        if (Check3[0]->isChecked())
            Command1_Click();
        if (!programEnding() && Check3[1]->isChecked())
            Command2_Click();
    }
    if (Option3)
        Option3->setChecked(false);
}

// 終　了 can be clicked only at a yield (the session's waits let no user input
// through), where no session call is in progress: the program ends at once,
// also in the middle of a submission.
void Form1::Option4_Click()
{
    Option4->setChecked(false);
    endProgramNow();
}

void Form1::Label4_DblClick(int)
{
    if (askAdministratorCode())
        Frame2->move(Twips::toPixels(1440), Frame2->y());
}

bool Form1::askAdministratorCode()
{
    const std::optional<QString> answer = InputBox::ask(
        this, QStringLiteral("パスワードを入力してください。"), QStringLiteral("管理機能"), QString());
    return answer && answer->trimmed() == kAdministratorCode;
}

void Form1::Frame2_DblClick()
{
    Frame2->move(Twips::toPixels(9440), Frame2->y());
}

// The panel's boxes take the keyboard focus only while the panel is in view:
// keys typed before a first click must not change the stored server unseen.
void Form1::settingsPanelMoved()
{
    const bool inView = rect().intersects(Frame2->geometry());
    for (QLineEdit* box : {txtServer, txtUser, txtPass})
        box->setFocusPolicy(inView ? Qt::StrongFocus : Qt::NoFocus);
    if (!inView && Frame2->isAncestorOf(focusWidget()))
        focusNextChild();
}

void Form1::DTPicker1_CloseUp(int)
{
    Label6->setText(QString::number(DayRange::dayCount(DTPicker1[0]->date(), DTPicker1[1]->date())));
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame2 && event->type() == QEvent::Move)
        settingsPanelMoved();
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 2; ++i) {
            if (watched == Label4[i]) {
                Label4_DblClick(i);
                return true;
            }
        }
        // A double-click on a control inside the panel is that control's own.
        if (watched == Frame2) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!Frame2->childAt(mouse->position().toPoint())) {
                Frame2_DblClick();
                return true;
            }
        }
    }
    if (event->type() == QEvent::Hide && Label6) {
        const QVariant index = watched->property("pickerIndex");
        if (index.isValid())
            DTPicker1_CloseUp(index.toInt());
    }
    return QWidget::eventFilter(watched, event);
}
