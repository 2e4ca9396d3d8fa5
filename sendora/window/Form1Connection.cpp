// Connecting and disconnecting, and the server's reply on the status line.
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "sendora/session/CertificateApproval.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/Form1.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/ServerAddress.h"
#include "sendora/window/TagLineEdit.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

void Form1::connectSession()
{
    clsFtpClient* session = mclsFTP.get();
    connect(session, &clsFtpClient::Send, this,
            [this](qint64 bytes, const QString& response) { mclsFTP_Send(bytes, response); });
    connect(session, &clsFtpClient::Receive, this,
            [this](qint64 bytes, const QString& response) { mclsFTP_Receive(bytes, response); });
    connect(session, &clsFtpClient::BeginEnumFiles, this,
            [this](int count) { mclsFTP_BeginEnumFiles(count); });
    connect(session,
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile),
            this,
            [this](const QString& name, qint64 size, quint32 attr, const QDateTime& created,
                   const QDateTime& written, const QDateTime& accessed) {
                mclsFTP_EnumFile(name, size, attr, created, written, accessed);
            });
}

void Form1::cmdConnect_Click()
{
    CommandScope scope(*this);
    if (!mclsFTP || programEnding())
        return;
    SetBusy(true);
    lvwList->clear();

    // Beyond the plain host of the settings, "host:port" reaches a server on another port.
    const ServerAddress address = ServerAddress::parse(txtServer->text());
    auto connectOnce = [&] {
        try {
            mclsFTP->setPort(address.port);
            return mclsFTP->Connect(address.host, txtUser->text(), txtPass->text());
        } catch (...) {
            return false;
        }
    };
    bool ok = connectOnce();

    if (!ok && mclsFTP->refusedCertificate()) {
        // The server's pinned certificate changed: say so; only an administrator may accept the new one.
        SetBusy(false);
        const bool accepted = CertificateApproval::offer(
            *mclsFTP,
            [this](const QString& text) {
                return MessageBox::show(this, text, QStringLiteral("警告"), MessageBox::Icon::Exclamation,
                                        MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes;
            },
            [this] { return askAdministratorCode(); });
        if (!accepted) {
            ProgramExit::endNow();
            return;
        }
        SetBusy(true);
        ok = connectOnce();
    }

    if (!ok) {
        QCoreApplication::processEvents();
        SetBusy(false);
        if (programEnding())
            return; // closed while connecting: no message, the close follows
        MessageBox::show(this,
                         QStringLiteral("接続できません。終了します。\r\n再度起動して実行してください "));
        ProgramExit::endNow();
        return;
    }

    ShowResponse(mclsFTP->Response());
    QCoreApplication::processEvents();
    SetBusy(false);
    if (programEnding())
        return;
    ChangeRemoteDir(mclsFTP->CurrentDir());
    lvwList_DblClick();
}

void Form1::cmdDisConnect_Click()
{
    CommandScope scope(*this);
    if (mclsFTP)
        mclsFTP->DisConnect();
    lvwList->clear();
    txtPath->setText(QString());
    txtPath->Tag = QString();
}

void Form1::ShowResponse(const QString& text)
{
    setStatusText(text.isEmpty() ? QString() : BrowserText::ReplyLineToShow(text));
}
