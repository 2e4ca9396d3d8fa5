// Lifetime of the window and of its one FTP session, and small shared helpers.
#include "sendora/window/Form1.h"

#include "platform/shell/ProgramExit.h"
#include "platform/shell/SingleInstance.h"
#include "sendora/session/clsFtpClient.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>

Form1::~Form1()
{
    if (busy_)
        QApplication::restoreOverrideCursor();
}

Form1::CommandScope::CommandScope(Form1& form) : form_(form)
{
    ++form_.commandDepth_;
}

Form1::CommandScope::~CommandScope()
{
    if (--form_.commandDepth_ == 0)
        form_.commandFinished();
}

// A close that came while a command ran is carried out now that the command
// has returned from every call on mclsFTP.
void Form1::commandFinished()
{
    if (ProgramExit::endRequested()) {
        // The program was ended (終　了, a refused connection): nothing is saved.
        mclsFTP.reset();
        return;
    }
    if (closeRequested_) {
        closeRequested_ = false;
        close();
    }
}

bool Form1::programEnding() const
{
    return closeRequested_ || ProgramExit::endRequested();
}

void Form1::endProgramNow()
{
    mclsFTP.reset();
    ProgramExit::endNow();
}

int Form1::TransferTypeFromOptions() const
{
    return Option1->isChecked() ? 2 : 1;
}

QString Form1::statusText() const
{
    return StatusBar1Panel1->text();
}

void Form1::setStatusText(const QString& text)
{
    StatusBar1Panel1->setText(text);
}
