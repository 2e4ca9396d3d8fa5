// The submissions that 送　信 starts, and the fetch of the Pass data file.
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramFolder.h"
#include "sendora/submission/DayRange.h"
#include "sendora/submission/PassDataFile.h"
#include "sendora/submission/PassDataRows.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/submission/UnlhaArchiver.h"
#include "sendora/submission/VerificationPackager.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form1SubmissionText.h"
#include "sendora/window/Form2.h"
#include "sendora/window/RemoteListView.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {

bool confirmed(QWidget* parent, const QString& question)
{
    return MessageBox::show(parent, question, QString(), MessageBox::Icon::None,
                            MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes;
}

void yieldToUi()
{
    QCoreApplication::processEvents();
}

} // namespace

void Form1::Command1_Click()
{
    CommandScope scope(*this);
    if (!confirmed(this, SubmissionText::kAskVerific))
        return;

    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(Form2::kSending, this);
    if (programEnding())
        return;

    const QString programFolder = ProgramFolder::path();
    const VerificationPackager packager(programFolder, VerificationArchiver(UnlhaArchiver::command()));
    // The range as it stands when the command starts: a change made while the
    // files are gathered does not mix two ranges in one archive.
    packager.run(Label5->text(), DTPicker1[1]->date(), DayRange::parseDayCount(Label6->text()), yieldToUi);

    const QString archive = SubmissionPaths::archivePath(programFolder);
    // Nothing to send (the busy window closes with the command), or the program
    // ends: an archive left behind goes with the next run.
    if (programEnding() || !QFileInfo(archive).isFile())
        return;

    pbrState->setVisible(true);
    busyWindow->mShow(Form2::kSending, this);
    cmdConnect_Click();
    if (programEnding())
        return; // e.g. the refused connection ended the program; the archive goes with the next run
    const bool sent = SendVerificData();
    busyWindow.reset();
    QFile::remove(archive);
    if (!sent && !programEnding())
        SubmissionText::warnNotSent(this, SubmissionText::kVerificNotSent);
}

void Form1::Command2_Click()
{
    CommandScope scope(*this);
    if (!confirmed(this, SubmissionText::kAskPass))
        return;

    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(Form2::kSending, this);
    if (programEnding())
        return;

    const QString passData = SubmissionPaths::passDataPath(ProgramFolder::path());
    // An older file must not go out as if it held the boxes' texts.
    if (PassDataFile::write(passData, Text1[0]->text(), Text1[1]->text()) !=
        PassDataFile::WriteResult::Written) {
        busyWindow.reset();
        setStatusText(SubmissionText::kPassFailed);
        SubmissionText::warnNotSent(this, SubmissionText::kPassNotSent);
        return;
    }
    if (!QFileInfo(passData).isFile())
        return;

    pbrState->setVisible(true);
    busyWindow->mShow(Form2::kSending, this);
    cmdConnect_Click();
    if (programEnding())
        return;
    const bool sent = SendPassData();
    busyWindow.reset();
    if (!sent && !programEnding())
        SubmissionText::warnNotSent(this, SubmissionText::kPassNotSent);
}

void Form1::Command3_Click()
{
    // Every row named Mirvel3.txt, selected or not; another selected row only flags.
    DownloadRows(
        [](const RemoteListRow* row) {
            if (PassDataRows::isPassDataRow(row->text(0)))
                return RowChoice::Take;
            return row->isSelected() ? RowChoice::Flag : RowChoice::Skip;
        },
        &PassDataRows::localFileName);
}
