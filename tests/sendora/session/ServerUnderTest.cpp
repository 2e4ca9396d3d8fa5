#include "tests/sendora/session/ServerUnderTest.h"

#include "platform/text/LegacyText.h"

#include <QRegularExpression>
#include <QTest>

ServerUnderTest::ServerUnderTest(ServerKind kind) : kind_(kind)
{
    if (kind == ServerKind::PyFtpd) {
        pyftpd_ = std::make_unique<PyFtpdServer>();
    } else {
        vsftpd_ = std::make_unique<VsftpdServer>();
    }
}

ServerUnderTest::~ServerUnderTest() = default;

void ServerUnderTest::addRows()
{
    QTest::addColumn<ServerKind>("kind");
    QTest::newRow("pyftpdlib") << ServerKind::PyFtpd;
    QTest::newRow("vsftpd utf8") << ServerKind::VsftpdUtf8;
    QTest::newRow("vsftpd cp932") << ServerKind::VsftpdCp932;
}

bool ServerUnderTest::canRun(QString* why) const
{
    if (pyftpd_) {
        return true;
    }
    return VsftpdServer::available(why);
}

bool ServerUnderTest::start(const QString& root, FtpServerOptions options)
{
    options.utf8 = utf8Names();
    return pyftpd_ ? pyftpd_->start(root, options) : vsftpd_->start(root, options);
}

void ServerUnderTest::stop()
{
    pyftpd_ ? pyftpd_->stop() : vsftpd_->stop();
}

quint16 ServerUnderTest::port() const
{
    return pyftpd_ ? pyftpd_->port() : vsftpd_->port();
}

QString ServerUnderTest::host() const
{
    return pyftpd_ ? pyftpd_->host() : vsftpd_->host();
}

QString ServerUnderTest::user() const
{
    return pyftpd_ ? pyftpd_->user() : vsftpd_->user();
}

QString ServerUnderTest::password() const
{
    return pyftpd_ ? pyftpd_->password() : vsftpd_->password();
}

QString ServerUnderTest::log() const
{
    return pyftpd_ ? pyftpd_->log() : vsftpd_->log();
}

QString ServerUnderTest::errorString() const
{
    return pyftpd_ ? pyftpd_->errorString() : vsftpd_->errorString();
}

void ServerUnderTest::grantAccess() const
{
    pyftpd_ ? pyftpd_->grantAccess() : vsftpd_->grantAccess();
}

QByteArray ServerUnderTest::diskName(const QString& name) const
{
    if (utf8Names()) {
        return name.toUtf8();
    }
    return LegacyText::encode(name).value_or(QByteArray());
}

bool ServerUnderTest::hasBeenAsked(const QString& command, qsizetype since) const
{
    const QString text = log().mid(since);
    // pyftpdlib: `<- TYPE A`; vsftpd: `FTP command: Client "127.0.0.1", "TYPE A"`.
    const QString pattern =
        pyftpd_
            ? QStringLiteral("^<- %1").arg(QRegularExpression::escape(command))
            : QStringLiteral("FTP command: Client \"[^\"]*\", \"%1").arg(QRegularExpression::escape(command));
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch();
}
