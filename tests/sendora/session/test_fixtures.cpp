// The FTP server fixtures, checked with curl as an independent client: a
// failure here is a broken fixture, not a fault of our FTP client.
#include "tests/sendora/session/ServerUnderTest.h"

#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>

namespace {

struct CurlResult
{
    int exitCode = -1;
    QByteArray output;
};

CurlResult curl(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral("curl"),
                  QStringList{QStringLiteral("-sS"), QStringLiteral("--max-time"), QStringLiteral("20"),
                              QStringLiteral("--ftp-port"), QStringLiteral("-")} +
                      args);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

QString url(const ServerUnderTest& server, const QString& user, const QString& password, const QString& path)
{
    const QString host =
        server.host().contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(server.host()) : server.host();
    return QStringLiteral("ftp://%1:%2@%3:%4/%5").arg(user, password, host).arg(server.port()).arg(path);
}

// The server's answer to FEAT, read over a plain socket.
QByteArray featReply(const ServerUnderTest& server)
{
    QTcpSocket socket;
    socket.connectToHost(server.host(), server.port());
    if (!socket.waitForConnected(5000)) {
        return {};
    }
    QByteArray received;
    auto readUntil = [&](const QByteArray& marker) {
        while (!received.contains(marker) && socket.waitForReadyRead(5000)) {
            received += socket.readAll();
        }
    };
    readUntil("220 ");
    socket.write("FEAT\r\n");
    readUntil("211 ");
    socket.write("QUIT\r\n");
    socket.waitForBytesWritten(1000);
    return received;
}

} // namespace

class TestFtpFixtures : public QObject
{
    Q_OBJECT

private slots:
    void servesAccountsAsConfigured_data() { ServerUnderTest::addRows(); }
    void servesAccountsAsConfigured()
    {
        QFETCH(ServerKind, kind);
        ServerUnderTest server(kind);
        SKIP_UNLESS_RUNNABLE(server);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(DiskNames::writeFile(root.path(), "seed.txt", "seed\n"));
        QVERIFY2(server.start(root.path()), qPrintable(server.errorString()));

        const QByteArray feat = featReply(server);
        QVERIFY2(feat.contains("211"), feat.constData());
        QCOMPARE(feat.contains(" UTF8"), server.utf8Names());
        QCOMPARE(feat.contains(" MLST"), server.hasMlsd());

        const CurlResult listing = curl({url(server, server.user(), server.password(), QString())});
        QCOMPARE(listing.exitCode, 0);
        QVERIFY(listing.output.contains("seed.txt"));

        QVERIFY(!server.hasBeenAsked("STOR"));
        QTemporaryDir local;
        QFile upload(local.filePath(QStringLiteral("up.bin")));
        QVERIFY(upload.open(QIODevice::WriteOnly));
        upload.write(QByteArray(70000, 'x'));
        upload.close();
        QCOMPARE(curl({QStringLiteral("-T"), upload.fileName(),
                       url(server, server.user(), server.password(), QStringLiteral("up.bin"))})
                     .exitCode,
                 0);
        QCOMPARE(DiskNames::readFile(root.path(), "up.bin").value_or("-"), QByteArray(70000, 'x'));
        QVERIFY2(server.hasBeenAsked("STOR up.bin"), qPrintable(server.log()));
        QVERIFY(server.hasBeenAsked("TYPE I"));

        // stop() ends the listener and every session it serves, logged in or not.
        QTcpSocket socket;
        socket.connectToHost(server.host(), server.port());
        QVERIFY(socket.waitForConnected(5000));
        QVERIFY(socket.waitForReadyRead(5000));
        socket.readAll();
        socket.write(QStringLiteral("USER %1\r\nPASS %2\r\n").arg(server.user(), server.password()).toUtf8());
        QByteArray replies;
        while (!replies.contains("230") && socket.waitForReadyRead(5000)) {
            replies += socket.readAll();
        }
        QVERIFY2(replies.contains("230"), replies.constData());
        QTRY_COMPARE(server.openConnections(), 1);
        const quint16 port = server.port();
        const QByteArray user = server.user().toLatin1();
        server.stop();
        QVERIFY(!FtpFixture::isListening(port));
        if (kind != ServerKind::PyFtpd) {
            // Nothing to log in with stays behind: vsftpd's account and PAM service were the run's own.
            QVERIFY(::getpwnam(user.constData()) == nullptr);
            QVERIFY(!QFile::exists(QStringLiteral("/etc/pam.d/") + QString::fromLatin1(user)));
        }
        QTRY_VERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(100));
    }

    void anonymousIpv6AndRefusedUploads_data() { ServerUnderTest::addRows(); }
    void anonymousIpv6AndRefusedUploads()
    {
        QFETCH(ServerKind, kind);
        ServerUnderTest server(kind);
        SKIP_UNLESS_RUNNABLE(server);
        QTemporaryDir root;
        QVERIFY(DiskNames::writeFile(root.path(), "seed.txt", "seed\n"));
        FtpServerOptions options;
        options.allowAnonymous = true;
        options.refuseStor = true;
        options.host = QStringLiteral("::1");
        QVERIFY2(server.start(root.path(), options), qPrintable(server.errorString()));

        const CurlResult listing =
            curl({url(server, QStringLiteral("anonymous"), QStringLiteral("guest"), {})});
        QVERIFY2(listing.exitCode == 0, qPrintable(server.log()));
        QVERIFY(listing.output.contains("seed.txt"));

        QTemporaryDir local;
        QFile upload(local.filePath(QStringLiteral("up.bin")));
        QVERIFY(upload.open(QIODevice::WriteOnly));
        upload.write("data");
        upload.close();
        QVERIFY(curl({QStringLiteral("-T"), upload.fileName(),
                      url(server, server.user(), server.password(), QStringLiteral("up.bin"))})
                    .exitCode != 0);
        QVERIFY(server.hasBeenAsked("STOR up.bin"));
        QVERIFY(!DiskNames::exists(root.path(), "up.bin"));
    }
};

QTEST_GUILESS_MAIN(TestFtpFixtures)
#include "test_fixtures.moc"
