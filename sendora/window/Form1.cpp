// Lifetime of the window and of its FTP browser, and small shared helpers.
#include "sendora/window/Form1.h"

#include "platform/shell/ProgramExit.h"
#include "platform/shell/SingleInstance.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/FtpBrowser.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

Form1::~Form1() = default;

void Form1::createBrowser()
{
    const FtpBrowser::Controls controls{this, lvwList, txtPath, pbrState, StatusBar1Panel1, &imlImage};
    FtpBrowser::Hooks hooks;
    hooks.login = [this] {
        return FtpBrowser::Hooks::Login{txtServer->text(), txtUser->text(), txtPass->text()};
    };
    hooks.transferType = [this] { return TransferTypeFromOptions(); };
    hooks.askAdministratorCode = [this] { return askAdministratorCode(); };
    browser_ = std::make_unique<FtpBrowser>(controls, std::move(hooks));
}

bool Form1::programEnding() const
{
    return browser_->ending();
}

void Form1::endProgramNow()
{
    browser_->releaseSession();
    ProgramExit::endNow();
}

int Form1::TransferTypeFromOptions() const
{
    return Option1->isChecked() ? clsFtpClient::kBinary : clsFtpClient::kAscii;
}

QString Form1::statusText() const
{
    return StatusBar1Panel1->text();
}

void Form1::setStatusText(const QString& text)
{
    browser_->setStatusText(text);
}
