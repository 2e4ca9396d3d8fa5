// The submissions that 送　信 starts, and the fetch of the Pass data file. The
// sequence itself is SubmissionRun's; the window asks, shows the busy window
// and tells the outcome.
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramFolder.h"
#include "sendora/submission/DayRange.h"
#include "sendora/submission/PassDataRows.h"
#include "sendora/submission/SubmissionRun.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <memory>

namespace {

// What a submission says: its question, its status texts and its warning.
struct SubmissionTexts
{
    QString ask;
    QString done;
    QString failed;
    QString notSent;
};

const SubmissionTexts kVerificTexts{
    QStringLiteral("検証データを送信します｡よろしいですか "), QStringLiteral("検証データ送信完了"),
    QStringLiteral("検証データ送信失敗"), QStringLiteral("検証データを送信できませんでした。")};
const SubmissionTexts kPassTexts{QStringLiteral("Passデータを送信します｡よろしいですか "),
                                 QStringLiteral("Passデータ送信完了"), QStringLiteral("Passデータ送信失敗"),
                                 QStringLiteral("Passデータを送信できませんでした。")};

bool confirmed(QWidget* parent, const QString& question)
{
    return MessageBox::show(parent, question, QString(), MessageBox::Icon::None,
                            MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes;
}

// Asks, shows the busy window while the submission runs, then tells how it
// ended: the warning comes once the busy window has gone.
void runSubmission(Form1& form, const SubmissionTexts& texts,
                   const std::function<SubmissionOutcome(const SubmissionRun&)>& submission)
{
    FtpBrowser::CommandScope scope(form.browser());
    if (!confirmed(&form, texts.ask))
        return;

    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(Form2::kSending, &form);
    SubmissionRun::Observer observer;
    observer.yieldToUi = [] { QCoreApplication::processEvents(); };
    observer.connecting = [&form, &busyWindow] {
        form.pbrState->setVisible(true);
        busyWindow->mShow(Form2::kSending, &form);
    };
    const SubmissionOutcome outcome =
        submission(SubmissionRun(ProgramFolder::path(), form.browser(), observer));
    busyWindow.reset();

    switch (outcome) {
    case SubmissionOutcome::Sent:
        form.setStatusText(texts.done);
        break;
    case SubmissionOutcome::NotSent:
    case SubmissionOutcome::PassDataNotWritten:
        form.setStatusText(texts.failed);
        MessageBox::show(&form, texts.notSent, QStringLiteral("警告"), MessageBox::Icon::Exclamation);
        break;
    case SubmissionOutcome::NothingToSend:
    case SubmissionOutcome::NotConnected:
    case SubmissionOutcome::Ended:
        break;
    }
}

} // namespace

void Form1::Command1_Click()
{
    runSubmission(*this, kVerificTexts, [this](const SubmissionRun& run) {
        // The range as it stands when the command starts.
        return run.sendVerificationData(
            {Label5->text(), DTPicker1[1]->date(), DayRange::parseDayCount(Label6->text())});
    });
}

void Form1::Command2_Click()
{
    runSubmission(*this, kPassTexts, [this](const SubmissionRun& run) {
        return run.sendPassData(Text1[0]->text(), Text1[1]->text());
    });
}

void Form1::Command3_Click()
{
    // Every row named Mirvel3.txt, selected or not; another selected row only flags.
    using RowChoice = FtpTransfers::RowChoice;
    browser_->transfers().downloadRows(
        [](const RemoteListRow* row) {
            if (PassDataRows::isPassDataRow(row->text(0)))
                return RowChoice::Take;
            return row->isSelected() ? RowChoice::Flag : RowChoice::Skip;
        },
        &PassDataRows::localFileName);
}
