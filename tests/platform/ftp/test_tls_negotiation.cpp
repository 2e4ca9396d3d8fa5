#include "platform/ftp/FtpSession.h"
#include "tests/support/ftp/ScriptedFtpServer.h"
#include "tests/support/ftp/TestCertificates.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>

using Session = ScriptedFtpServer::Session;

namespace {

constexpr int kReplyTimeoutMs = 2000;

// How the server answers AUTH TLS.
enum class AuthAnswer
{
    Handshake, // 234, then TLS
    Refuse,    // 504
    Close,     // 234, then the connection ends
    Garbage,   // 234, then text that is not TLS
    Inject,    // 234 and a forged reply in the same write, then TLS
};

QByteArrayList verbsOf(const QList<QByteArray>& commands)
{
    QByteArrayList verbs;
    for (const QByteArray& line : commands)
        verbs << line.split(' ').first();
    return verbs;
}

} // namespace

Q_DECLARE_METATYPE(FtpTlsPolicy)
Q_DECLARE_METATYPE(AuthAnswer)

// What the policy and the server's answers make the client send, and on how
// many connections: TLS before the user name whenever TLS is used, no user
// name at all when TLS is required and fails or the certificate is refused,
// and a new connection in clear when an offered handshake breaks.
class TestFtpTlsNegotiation : public QObject
{
    Q_OBJECT

private:
    TestCertificates certificates;
    std::optional<TestCertificates::Identity> identity;

private slots:
    void initTestCase()
    {
        identity = certificates.selfSigned();
        QVERIFY2(identity, qPrintable(certificates.errorString()));
    }

    void policyAndServerDecideWhatCrossesTheWire_data()
    {
        QTest::addColumn<FtpTlsPolicy>("policy");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<AuthAnswer>("answer");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<bool>("protectedData");
        QTest::addColumn<QByteArrayList>("verbs");
        QTest::addColumn<int>("connections");

        using P = FtpTlsPolicy;
        using A = AuthAnswer;
        const QByteArrayList tls{"FEAT", "AUTH", "USER", "PASS", "PBSZ", "PROT", "FEAT"};
        const QByteArrayList clear{"USER", "PASS", "FEAT"};
        const QByteArrayList askedThenClear{"FEAT", "USER", "PASS", "FEAT"};
        const QByteArrayList refusedThenClear{"FEAT", "AUTH", "USER", "PASS", "FEAT"};
        QTest::newRow("offered: TLS, then the login")
            << P::WhenOffered << true << A::Handshake << true << true << true << tls << 1;
        QTest::newRow("required: no FEAT first")
            << P::Required << true << A::Handshake << true << true << true << tls.mid(1) << 1;
        QTest::newRow("never: clear although offered")
            << P::Never << true << A::Handshake << true << true << false << clear << 1;
        QTest::newRow("offered, not offered: clear as before")
            << P::WhenOffered << false << A::Refuse << true << true << false << askedThenClear << 1;
        QTest::newRow("required, not offered: no login")
            << P::Required << false << A::Refuse << true << false << false << QByteArrayList{"AUTH"} << 1;
        QTest::newRow("offered, AUTH refused: clear, same connection")
            << P::WhenOffered << true << A::Refuse << true << true << false << refusedThenClear << 1;
        QTest::newRow("offered, closed after 234: clear, new connection")
            << P::WhenOffered << true << A::Close << true << true << false << refusedThenClear << 2;
        QTest::newRow("offered, not TLS after 234: clear, new connection")
            << P::WhenOffered << true << A::Garbage << true << true << false << refusedThenClear << 2;
        QTest::newRow("offered, reply forged before the handshake: clear, new connection")
            << P::WhenOffered << true << A::Inject << true << true << false << refusedThenClear << 2;
        QTest::newRow("required, closed after 234: no login")
            << P::Required << true << A::Close << true << false << false << QByteArrayList{"AUTH"} << 1;
        QTest::newRow("certificate refused: no login, no clear retry")
            << P::WhenOffered << true << A::Handshake << false << false << false
            << QByteArrayList{"FEAT", "AUTH"} << 1;
    }

    void policyAndServerDecideWhatCrossesTheWire()
    {
        QFETCH(FtpTlsPolicy, policy);
        QFETCH(bool, offered);
        QFETCH(AuthAnswer, answer);
        QFETCH(bool, trusted);
        QFETCH(bool, loggedIn);
        QFETCH(bool, protectedData);
        QFETCH(QByteArrayList, verbs);
        QFETCH(int, connections);

        ScriptedFtpServer server;
        server.setTlsIdentity(identity->certificate, identity->key);
        if (offered)
            server.setFeatures("211-Features:\r\n AUTH TLS\r\n PBSZ\r\n PROT\r\n211 End\r\n");
        switch (answer) {
        case AuthAnswer::Handshake:
            break;
        case AuthAnswer::Refuse:
            server.on("AUTH", [](Session& s, const QByteArray&) { s.reply("504 Not understood\r\n"); });
            break;
        case AuthAnswer::Close:
            server.on("AUTH", [](Session& s, const QByteArray&) {
                s.reply("234 Proceed\r\n");
                s.closeControl();
            });
            break;
        case AuthAnswer::Garbage:
            server.on("AUTH", [](Session& s, const QByteArray&) {
                s.reply("234 Proceed\r\nThis is not a TLS record at all.\r\n");
                s.ignoreUntilClosed(5000);
            });
            break;
        case AuthAnswer::Inject:
            server.on("AUTH", [](Session& s, const QByteArray&) {
                s.reply("234 Proceed\r\n200 Forged in clear\r\n");
                s.startTls(); // a client that took the forged text would go on under TLS
            });
            break;
        }
        QVERIFY(server.start());

        FtpSession session;
        session.setTimeouts(kReplyTimeoutMs, kReplyTimeoutMs);
        FtpTlsOptions options;
        options.policy = policy;
        options.trust = [trusted](const FtpServerCertificate&) { return trusted; };
        session.setTls(options);
        session.beginOperation();
        const FtpResult result = session.login(QStringLiteral("127.0.0.1"), server.port(),
                                               QStringLiteral("user"), QStringLiteral("secret"));
        session.endOperation();

        QCOMPARE(result.ok, loggedIn);
        QCOMPARE(session.protectsData(), protectedData);
        session.logout();
        server.stop();
        QCOMPARE(verbsOf(server.commands()).mid(0, verbs.size()), verbs);
        QCOMPARE(server.connections(), connections);
        // The replies a login shows are those of the connection that logged in, TLS commands' included.
        if (loggedIn)
            QCOMPARE(session.lastReplies().contains("234 "), protectedData);
    }

    // A server that ends the data with close_notify alone and leaves the
    // connection open (vsftpd does) ends each download there, as soon as one
    // that closes the connection, not after a wait's slice of 100 ms.
    void downloadEndsAtCloseNotify()
    {
        std::atomic<bool> keepOpen = false;
        ScriptedFtpServer server;
        server.setTlsIdentity(identity->certificate, identity->key);
        server.setFeatures("211-Features:\r\n AUTH TLS\r\n211 End\r\n");
        server.on("RETR", [&keepOpen](Session& s, const QByteArray&) {
            s.reply("150 Here it comes\r\n");
            if (s.openData() && s.startDataTls()) {
                s.sendData("contents");
                QThread::msleep(20); // the client is waiting for more when the end comes
                if (keepOpen)
                    s.endDataTlsKeepingConnection();
                else
                    s.closeData();
            }
            s.reply("226 Done\r\n");
        });
        QVERIFY(server.start());
        FtpSession session;
        session.setTimeouts(kReplyTimeoutMs, kReplyTimeoutMs);
        FtpTlsOptions options;
        options.trust = [](const FtpServerCertificate&) { return true; };
        session.setTls(options);
        session.beginOperation();
        QVERIFY(session.login(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("user"),
                              QStringLiteral("secret")));
        constexpr int kDownloads = 5;
        auto timeDownloads = [&] {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < kDownloads; ++i) {
                QBuffer sink;
                sink.open(QIODevice::WriteOnly);
                if (!session.download(QStringLiteral("file"), sink, false) || sink.data() != "contents")
                    return qint64(-1);
            }
            return timer.elapsed();
        };
        const qint64 closed = timeDownloads();
        keepOpen = true;
        const qint64 keptOpen = timeDownloads();
        session.endOperation();
        session.logout();
        QVERIFY(closed >= 0 && keptOpen >= 0);
        QVERIFY2(keptOpen - closed < kDownloads * 30,
                 qPrintable(QStringLiteral("closed %1 ms, kept open %2 ms").arg(closed).arg(keptOpen)));
    }
};

QTEST_GUILESS_MAIN(TestFtpTlsNegotiation)
#include "test_tls_negotiation.moc"
