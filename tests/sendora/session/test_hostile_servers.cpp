#include "platform/text/LegacyText.h"
#include "sendora/session/clsFtpClient.h"
#include "tests/support/ftp/ScriptedFtpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using Session = ScriptedFtpServer::Session;

namespace {

constexpr int kReplyTimeoutMs = 800;
// A failure must come promptly: within a few timeouts, never a hang.
constexpr qint64 kPromptMs = 6 * kReplyTimeoutMs;

const QByteArray kUnixListing = "drwxr-xr-x 2 u g 4096 Jan 02 2024 docs\r\n"
                                "-rw-r--r-- 1 u g 12 Mar 04 2024 a.txt\r\n"
                                "-r--r--r-- 1 u g 3000000000 Mar 05 2024 big.bin\r\n";

QStringList folderContents(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Our client against a server that misbehaves on purpose. Legal or recoverable
// behaviour must end in success; anything else promptly in the failure result,
// never a crash, a hang or a partial local file.
class TestFtpScripted : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedFtpServer> server;
    std::unique_ptr<clsFtpClient> client;
    QTemporaryDir local;

    qsizetype countVerb(const QByteArray& verb) const
    {
        qsizetype count = 0;
        for (const QByteArray& line : server->commands())
            count += (line == verb || line.startsWith(verb + ' ')) ? 1 : 0;
        return count;
    }

    bool connectClient()
    {
        client->setPort(server->port());
        return client->Connect(QStringLiteral("127.0.0.1"), QStringLiteral("user"), QStringLiteral("secret"));
    }

private slots:
    void init()
    {
        server = std::make_unique<ScriptedFtpServer>();
        QVERIFY(server->start());
        client = std::make_unique<clsFtpClient>();
        client->setTimeouts(2000, kReplyTimeoutMs);
        QVERIFY(local.isValid());
        for (const QString& name : folderContents(local.path()))
            QFile::remove(local.filePath(name));
    }

    void cleanup()
    {
        client.reset();
        server.reset();
    }

    void defaults()
    {
        QCOMPARE(client->Port(), 21);
        QCOMPARE(client->TransferType(), 2);
        QVERIFY(client->Exists());
        QVERIFY(client->Reload());
        QCOMPARE(client->Response(), QString());
        QCOMPARE(client->CurrentDir(), QString());
        QCOMPARE(clsFtpClient::ToFtpPath(QStringLiteral("a\\b\\c.txt")), QStringLiteral("a/b/c.txt"));
        QCOMPARE(clsFtpClient::ToFtpPath(QStringLiteral("plain")), QStringLiteral("plain"));
        QCOMPARE(clsFtpClient::zeroDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC));
    }

    void loginVariants_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("passReply");
        QTest::addColumn<QString>("response");
        QTest::addColumn<bool>("userSent");

        QTest::newRow("fake terminators")
            << QByteArray("220-Welcome\r\n 220 indented\r\n220-more\r\n220 Ready\r\n")
            << QByteArray("230 In\r\n")
            << "220-Welcome\r\n 220 indented\r\n220-more\r\n220 Ready\r\n331 Password required\r\n230 In\r\n"
            << true;
        QTest::newRow("LF endings") << QByteArray("220-Hi\n220 Ready\n") << QByteArray("230 In\n")
                                    << "220-Hi\r\n220 Ready\r\n331 Password required\r\n230 In\r\n"
                                    << true;
        QTest::newRow("230 banner") << QByteArray("230 Already logged in\r\n") << QByteArray()
                                    << "230 Already logged in\r\n"
                                    << false;
        QTest::newRow("NUL in reply") << QByteArray("220 Nul\0here\r\n", 14) << QByteArray("230 In\r\n")
                                      << QStringLiteral("220 Nul") + QChar(QChar::ReplacementCharacter) +
                                             "here\r\n331 Password required\r\n230 In\r\n"
                                      << true;
    }

    void loginVariants()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, passReply);
        QFETCH(QString, response);
        QFETCH(bool, userSent);
        server->setGreeting(greeting);
        server->setFeatures("211-Features:\r\n MLST type*;\r\n211 End\r\n");
        if (!passReply.isEmpty())
            server->on("PASS", [passReply](Session& s, const QByteArray&) { s.reply(passReply); });
        QSignalSpy sends(client.get(), &clsFtpClient::Send);
        QSignalSpy receives(client.get(), &clsFtpClient::Receive);
        QVERIFY(connectClient());
        // The welcome and the login replies only; FEAT is our own business.
        QCOMPARE(client->Response(), response);
        QCOMPARE(server->received("USER"), userSent);
        QVERIFY(server->received("FEAT"));
        QCOMPARE(sends.size() + receives.size(), 0);
    }

    void accountWhenAsked()
    {
        server->on("PASS", [](Session& s, const QByteArray&) { s.reply("332 Need account\r\n"); });
        server->on("ACCT", [](Session& s, const QByteArray&) { s.reply("230 Account ok\r\n"); });
        QVERIFY(connectClient());
        QVERIFY(server->received("ACCT"));
        QVERIFY(client->Response().endsWith(QStringLiteral("332 Need account\r\n230 Account ok\r\n")));
    }

    void anonymousLogin()
    {
        client->setPort(server->port());
        QVERIFY(client->Connect(QStringLiteral("127.0.0.1"), QString(), QString()));
        QVERIFY(server->commands().contains("USER anonymous"));
    }

    void hostNames()
    {
        client->setPort(server->port());
        // "localhost" may resolve to ::1 first, where nothing listens: the next address is tried.
        QVERIFY(client->Connect(QStringLiteral("localhost"), QStringLiteral("u"), QStringLiteral("p")));
        const QString loginReplies = client->Response();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!client->Connect(QStringLiteral("no-such-host.invalid"), QStringLiteral("u"),
                                 QStringLiteral("p")));
        QVERIFY(timer.elapsed() < kPromptMs);
        // No reply came: the last one stays.
        QCOMPARE(client->Response(), loginReplies);
    }

    void refusedLogins_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("passReply");
        QTest::newRow("wrong password")
            << QByteArray("220 Ready\r\n") << QByteArray("530 Login incorrect\r\n");
        QTest::newRow("421 banner") << QByteArray("421 Too many users\r\n") << QByteArray();
        QTest::newRow("garbage banner") << QByteArray("SSH-2.0-OpenSSH\r\n") << QByteArray();
        QTest::newRow("dropped mid-reply") << QByteArray("220-Welcome\r\n") << QByteArray();
        QTest::newRow("silent server") << QByteArray() << QByteArray();
    }

    void refusedLogins()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, passReply);
        server->setGreeting(greeting);
        if (!passReply.isEmpty())
            server->on("PASS", [passReply](Session& s, const QByteArray&) { s.reply(passReply); });
        if (QTest::currentDataTag() == QByteArray("dropped mid-reply"))
            server->on("USER", [](Session& s, const QByteArray&) { s.closeControl(); });
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!connectClient());
        QVERIFY(timer.elapsed() < kPromptMs);
        QCOMPARE(client->CurrentDir(), QString());
    }

    void dribbledReplies()
    {
        server->on("", [](Session& s, const QByteArray&) {
            s.dribble("220-Slow\r\n 220 start\r\n220 Ready\r\n", 1);
        });
        server->on("USER", [](Session& s, const QByteArray&) {
            s.dribble("331-Tell me\r\n331 the password\r\n", 1);
        });
        server->on("PASS", [](Session& s, const QByteArray&) { s.dribble("230 In\n", 3); });
        server->on("PWD", [](Session& s, const QByteArray&) { s.dribble("257 \"/slow/dir\" ok\r\n", 1); });
        QVERIFY(connectClient());
        QCOMPARE(client->CurrentDir(), QStringLiteral("/slow/dir"));
    }

    void pwdQuoting_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("dir");
        QTest::newRow("doubled quotes")
            << QByteArray("257 \"/a \"\"q\"\" b\" is current\r\n") << "/a \"q\" b";
        QTest::newRow("unclosed quote") << QByteArray("257 \"/open end\r\n") << "/open end";
        QTest::newRow("text before the quote") << QByteArray("257 Now in \"/x\"\r\n") << "/x";
        QTest::newRow("refused") << QByteArray("550 No\r\n") << QString();
    }

    void pwdQuoting()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, dir);
        server->on("PWD", [reply](Session& s, const QByteArray&) { s.reply(reply); });
        QVERIFY(connectClient());
        QCOMPARE(client->CurrentDir(), dir);
        QCOMPARE(client->Response(), QString::fromLatin1(reply));
    }

    void coalescedPreliminaryAndFinal()
    {
        server->on("RETR", [](Session& s, const QByteArray&) {
            s.openData();
            s.sendData("payload");
            s.closeData();
            s.reply("150 Opening\r\n226 Done\r\n");
        });
        QVERIFY(connectClient());
        const QString target = local.filePath(QStringLiteral("got.bin"));
        QVERIFY(client->GetFile(QStringLiteral("x"), target, clsFtpClient::kAttrNormal));
        QCOMPARE(readFile(target), QByteArray("payload"));
    }

    void passiveFallbacks_data()
    {
        QTest::addColumn<QByteArray>("trouble");
        QTest::newRow("PORT refused") << QByteArray("PORT refused");
        QTest::newRow("425 after 150") << QByteArray("425 after 150");
        QTest::newRow("no connection after 150") << QByteArray("no connection");
        // Only the port of a 227 is used, whatever address it names.
        QTest::newRow("PASV names a private address") << QByteArray("PASV 10,1,2,3");
        QTest::newRow("PASV names another host") << QByteArray("PASV 192,0,2,1");
    }

    void passiveFallbacks()
    {
        QFETCH(QByteArray, trouble);
        server->setFile("f", "passive data");
        const bool pasv = trouble.startsWith("PASV");
        if (trouble == "PORT refused" || pasv)
            server->on("PORT", [](Session& s, const QByteArray&) { s.reply("500 PORT not allowed\r\n"); });
        if (pasv) {
            server->on("EPSV", [](Session& s, const QByteArray&) { s.reply("500 EPSV unknown\r\n"); });
            server->on("PASV", [trouble](Session& s, const QByteArray&) {
                const quint16 port = s.listenPassive();
                s.reply("227 Entering Passive Mode (" + trouble.mid(5) + ',' + QByteArray::number(port >> 8) +
                        ',' + QByteArray::number(port & 0xff) + ")\r\n");
            });
        }
        if (trouble == "425 after 150" || trouble == "no connection") {
            // In active mode the server never reaches us (a NAT in between).
            server->on("RETR", [trouble](Session& s, const QByteArray&) {
                s.reply("150 Opening\r\n");
                if (s.isActive()) {
                    if (trouble == "425 after 150")
                        s.reply("425 Cannot open data connection\r\n");
                    return;
                }
                s.openData();
                s.sendData("passive data");
                s.closeData();
                s.reply("226 Done\r\n");
            });
        }
        QVERIFY(connectClient());
        const QString target = local.filePath(QStringLiteral("f"));
        QVERIFY(client->GetFile(QStringLiteral("f"), target, clsFtpClient::kAttrNormal));
        QCOMPARE(readFile(target), QByteArray("passive data"));
        // The rest of the session stays passive: no more PORT.
        const qsizetype ports = countVerb("PORT");
        QVERIFY(client->GetFile(QStringLiteral("f"), target, clsFtpClient::kAttrNormal));
        QCOMPARE(countVerb("PORT"), ports);
        QCOMPARE(server->received("PASV"), pasv);
    }

    void downloadFailures_data()
    {
        QTest::addColumn<QByteArray>("trouble");
        QTest::addColumn<bool>("passive");
        QTest::newRow("426 mid-transfer") << QByteArray("426") << false;
        QTest::newRow("silence after 150, active") << QByteArray("silence") << false;
        QTest::newRow("silence after 150, passive") << QByteArray("silence") << true;
        QTest::newRow("data stalls") << QByteArray("stall") << true;
        QTest::newRow("dropped mid-transfer") << QByteArray("drop") << false;
        QTest::newRow("dropped mid-reply") << QByteArray("drop reply") << false;
        QTest::newRow("421 and close") << QByteArray("421") << false;
        QTest::newRow("550 no such file") << QByteArray("550") << false;
        // The server announced 5000 bytes and sends 2500 before its 226.
        QTest::newRow("cut short of SIZE") << QByteArray("short SIZE") << false;
        QTest::newRow("cut short of the 150 reply") << QByteArray("short 150") << false;
        // Unbounded data: stopped at what was announced, or at the disk reserve.
        QTest::newRow("more than announced") << QByteArray("more") << false;
        QTest::newRow("disk reserve reached") << QByteArray("reserve") << true;
        QTest::newRow("announced size beyond the reserve") << QByteArray("huge") << false;
    }

    void downloadFailures()
    {
        QFETCH(QByteArray, trouble);
        QFETCH(bool, passive);
        // What SIZE announces; the other files are unknown to it.
        if (trouble == "short SIZE" || trouble == "more")
            server->setFile("remote.bin", QByteArray(trouble == "more" ? 10 : 5000, 'n'));
        if (trouble == "huge") // a petabyte
            server->on("SIZE", [](Session& s, const QByteArray&) { s.reply("213 1125899906842624\r\n"); });
        // Others write and delete files meanwhile: a long stream meets the
        // reserve however much they free.
        if (trouble == "reserve")
            client->setDiskReserve(QStorageInfo(local.path()).bytesAvailable() - 4 * 1024 * 1024);
        server->on("RETR", [trouble](Session& s, const QByteArray&) {
            if (trouble == "short SIZE" || trouble == "short 150" || trouble == "more" ||
                trouble == "reserve") {
                s.reply(trouble == "short 150"
                            ? "150 Opening BINARY mode data connection for f (5000 bytes).\r\n"
                            : "150 Opening\r\n");
                s.openData();
                s.sendRepeated(QByteArray(2500, 'n'), trouble.startsWith("short") ? 2500 : 512 * 1024 * 1024);
                s.closeData();
                s.reply("226 Done\r\n");
                return;
            }
            if (trouble == "421" || trouble == "550") {
                s.reply(trouble + " Sorry\r\n");
                if (trouble == "421")
                    s.closeControl();
                return;
            }
            s.reply("150 Opening\r\n");
            if (trouble == "silence") {
                s.stall(20000);
                return;
            }
            s.openData();
            s.sendData(QByteArray(100000, 'n'));
            if (trouble == "stall") {
                s.stall(20000);
            } else if (trouble == "426") {
                s.reply("426 Connection closed; transfer aborted\r\n");
                s.closeData();
            } else if (trouble == "drop") {
                s.closeData();
                s.closeControl();
            } else {
                s.closeData();
                s.reply("22");
                s.closeControl();
            }
        });
        client->setPassive(passive);
        QVERIFY(connectClient());
        const QString target = local.filePath(QStringLiteral("keep.txt"));
        writeFile(target, "the file that was there");
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!client->GetFile(QStringLiteral("remote.bin"), target, clsFtpClient::kAttrNormal));
        QVERIFY2(timer.elapsed() < kPromptMs, QByteArray::number(timer.elapsed()));
        QCOMPARE(readFile(target), QByteArray("the file that was there"));
        QCOMPARE(folderContents(local.path()), QStringList{QStringLiteral("keep.txt")});
        QCOMPARE(server->received("RETR"), trouble != "huge");
        // A new target is not created either.
        QVERIFY(!client->GetFile(QStringLiteral("remote.bin"), local.filePath(QStringLiteral("new.bin")),
                                 clsFtpClient::kAttrNormal));
        QCOMPARE(folderContents(local.path()), QStringList{QStringLiteral("keep.txt")});
    }

    void lowSpeedRule_data()
    {
        QTest::addColumn<int>("bytesPer100Ms");
        QTest::newRow("drips") << 35;
        QTest::newRow("slow but steady") << 1000;
    }

    void lowSpeedRule()
    {
        QFETCH(int, bytesPer100Ms);
        // At least 2,000 bytes a second over each second. Data keeps coming for
        // four seconds, so the idle timeout alone never ends a drip.
        client->setLowSpeedLimit(2000, 1000);
        server->on("RETR", [bytesPer100Ms](Session& s, const QByteArray&) {
            s.reply("150 Here it comes\r\n");
            s.openData();
            s.sendRepeated(QByteArray(bytesPer100Ms, 's'), 40 * bytesPer100Ms, 100);
            s.closeData();
            s.reply("226 Done\r\n");
        });
        QVERIFY(connectClient());
        QElapsedTimer timer;
        timer.start();
        const bool ok = client->GetFile(QStringLiteral("f"), local.filePath(QStringLiteral("f")), 128);
        QCOMPARE(ok, bytesPer100Ms >= 200);
        QVERIFY(ok || timer.elapsed() < 3000);
    }

    void uploadFailures_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<bool>("early");
        QTest::newRow("426") << QByteArray("426") << false;
        QTest::newRow("451") << QByteArray("451") << false;
        QTest::newRow("452") << QByteArray("452") << false;
        QTest::newRow("552") << QByteArray("552") << false;
        QTest::newRow("552 while sending") << QByteArray("552") << true;
        QTest::newRow("553 refused") << QByteArray("553") << true;
        QTest::newRow("dropped mid-transfer") << QByteArray("drop") << true;
        QTest::newRow("no final reply") << QByteArray("silence") << false;
    }

    void uploadFailures()
    {
        QFETCH(QByteArray, code);
        QFETCH(bool, early);
        server->on("STOR", [code, early](Session& s, const QByteArray&) {
            if (code == "553") {
                s.reply("553 Not allowed\r\n");
                return;
            }
            s.reply("150 Send it\r\n");
            s.openData();
            if (code == "drop") {
                s.closeData();
                s.closeControl();
                return;
            }
            if (!early)
                s.receiveData();
            if (code == "silence") {
                s.stall(20000);
                return;
            }
            s.reply(code + " Failed\r\n");
            s.closeData();
        });
        QVERIFY(connectClient());
        const QString source = local.filePath(QStringLiteral("up.bin"));
        writeFile(source, QByteArray(8 * 1024 * 1024, 'u'));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!client->PutFile(source, QStringLiteral("up.bin")));
        QVERIFY(timer.elapsed() < kPromptMs);
        if (code != "drop" && code != "silence")
            QVERIFY(client->Response().contains(QString::fromLatin1(code)));
    }

    void cancelEndsTheRunningCall_data()
    {
        QTest::addColumn<QByteArray>("stage");
        QTest::newRow("login") << QByteArray("login");
        QTest::newRow("download") << QByteArray("download");
    }

    void cancelEndsTheRunningCall()
    {
        QFETCH(QByteArray, stage);
        // Long timeouts: only the cancel can end these calls soon.
        client->setTimeouts(20000, 20000);
        if (stage == "login")
            server->on("", [](Session& s, const QByteArray&) { s.stall(20000); });
        server->on("RETR", [](Session& s, const QByteArray&) {
            s.reply("150 Opening\r\n");
            s.openData();
            s.sendData(QByteArray(1000, 'p'));
            s.stall(20000);
        });
        client->cancel(); // no call running: nothing happens
        if (stage != "login")
            QVERIFY(connectClient());
        const QString target = local.filePath(QStringLiteral("keep.txt"));
        writeFile(target, "the file that was there");
        QTimer::singleShot(300, client.get(), [this] { client->cancel(); });
        QElapsedTimer timer;
        timer.start();
        QVERIFY(stage == "login"
                    ? !connectClient()
                    : !client->GetFile(QStringLiteral("remote.bin"), target, clsFtpClient::kAttrNormal));
        QVERIFY2(timer.elapsed() < 3000, QByteArray::number(timer.elapsed()));
        QCOMPARE(readFile(target), QByteArray("the file that was there"));
        QCOMPARE(folderContents(local.path()), QStringList{QStringLiteral("keep.txt")});
        // The connection is closed; the next call starts afresh.
        QCOMPARE(client->CurrentDir(), QString());
        QVERIFY(!server->received("ABOR"));
    }

    void transferEvents()
    {
        const QByteArray content(200000, 'd');
        server->setFile("data.bin", content);
        QVERIFY(connectClient());
        const QString loginReplies = client->Response();
        QSignalSpy sends(client.get(), &clsFtpClient::Send);
        QSignalSpy receives(client.get(), &clsFtpClient::Receive);
        QVERIFY(client->GetFile(QStringLiteral("data.bin"), local.filePath(QStringLiteral("data.bin")), 128));
        QCOMPARE(readFile(local.filePath(QStringLiteral("data.bin"))), content);
        // One Send per command (TYPE, PORT, RETR) with its byte count; the
        // first goes with the last reply held, until the transfer's first one.
        QCOMPARE(sends.size(), 3);
        QCOMPARE(sends.at(0).at(0).toLongLong(), qint64(sizeof("TYPE I\r\n") - 1));
        QCOMPARE(sends.at(0).at(1).toString(), loginReplies);
        // One Receive per reply (TYPE, PORT, 150, 226) and per data block.
        qint64 received = 0;
        for (const auto& event : receives) {
            QVERIFY(event.at(0).toLongLong() <= 64 * 1024);
            received += event.at(0).toLongLong();
        }
        QVERIFY(receives.size() >= 4 + 200000 / (64 * 1024));
        QVERIFY(received >= content.size());
        QCOMPARE(receives.last().at(1).toString(), client->Response());
        QCOMPARE(client->Response(),
                 QStringLiteral("200 OK\r\n200 PORT command successful\r\n"
                                "150 Opening data connection\r\n226 Transfer complete\r\n"));

        sends.clear();
        receives.clear();
        const QString source = local.filePath(QStringLiteral("up.bin"));
        writeFile(source, QByteArray(150000, 'u'));
        QVERIFY(client->PutFile(source, QStringLiteral("dir\\up.bin")));
        QVERIFY(server->received("STOR dir/up.bin"));
        QCOMPARE(server->uploaded(), QByteArray(150000, 'u'));
        qint64 sent = 0;
        for (const auto& event : sends)
            sent += event.at(0).toLongLong();
        QVERIFY(sent >= 150000);

        // Commands outside finds and transfers raise nothing.
        sends.clear();
        receives.clear();
        QVERIFY(client->CreateDirectory(QStringLiteral("new")));
        QVERIFY(client->RenameFile(QStringLiteral("a"), QStringLiteral("b")));
        QVERIFY(client->DeleteFile(QStringLiteral("b")));
        QVERIFY(client->RemoveDirectory(QStringLiteral("new")));
        client->setCurrentDir(QStringLiteral("new"));
        QCOMPARE(client->CurrentDir(), QStringLiteral("/"));
        QCOMPARE(sends.size() + receives.size(), 0);
    }

    void asciiTransfers()
    {
        server->setFile("text.txt", "one\r\ntwo\r\n");
        QVERIFY(connectClient());
        client->setTransferType(clsFtpClient::kAscii);
        client->setReload(false);
        const QString target = local.filePath(QStringLiteral("text.txt"));
        QVERIFY(client->GetFile(QStringLiteral("text.txt"), target, 128));
        QVERIFY(server->received("TYPE A"));
#ifndef Q_OS_WIN
        QCOMPARE(readFile(target), QByteArray("one\ntwo\n"));
        writeFile(target, "x\ny\n");
        QVERIFY(client->PutFile(target, QStringLiteral("text.txt")));
        QCOMPARE(server->uploaded(), QByteArray("x\r\ny\r\n"));
#endif
        // Any other value than 1 is binary.
        client->setTransferType(7);
        QVERIFY(client->GetFile(QStringLiteral("text.txt"), target, 128));
        QCOMPARE(readFile(target), QByteArray("one\r\ntwo\r\n"));
        QCOMPARE(server->commands().count("TYPE I"), 1);
    }

    void localChecksBeforeTheServer()
    {
        QVERIFY(connectClient());
        const QString target = local.filePath(QStringLiteral("exists.txt"));
        writeFile(target, "mine");
        client->setExists(false);
        QVERIFY(!client->GetFile(QStringLiteral("exists.txt"), target, 128));
        QCOMPARE(readFile(target), QByteArray("mine"));
        client->setExists(true);
        QVERIFY(client->GetFile(QStringLiteral("exists.txt"), target, 128));
        QCOMPARE(readFile(target), QByteArray("hello\r\n"));
        QCOMPARE(server->commands().count("RETR exists.txt"), 1);

        QVERIFY(
            !client->PutFile(local.filePath(QStringLiteral("missing.bin")), QStringLiteral("missing.bin")));
        QVERIFY(!client->PutFile(local.path(), QStringLiteral("folder")));
        QVERIFY(!server->received("STOR"));

        // A line break in a name would smuggle in a second command.
        QVERIFY(!client->DeleteFile(QStringLiteral("a\r\nDELE important")));
        QVERIFY(!client->RenameFile(QStringLiteral("a"), QStringLiteral("b\nDELE x")));
        QVERIFY(!server->received("DELE"));
        QVERIFY(!server->received("RNFR"));
    }

    void portAndServerChecks()
    {
        QVERIFY(connectClient());
        const int before = server->connections();
        // Connect closes the old connection first, even when the new one cannot start.
        QVERIFY(!client->Connect(QString(), QStringLiteral("user"), QStringLiteral("secret")));
        QCOMPARE(client->CurrentDir(), QString());
        QVERIFY(server->received("QUIT"));
        for (int port : {0, -1, 65536, 100000}) {
            client->setPort(port);
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, client->Connect(QStringLiteral("127.0.0.1"), {}, {}));
        }
        QVERIFY(connectClient());
        QCOMPARE(server->connections(), before + 1);
        QVERIFY(client->DisConnect());
        QVERIFY(client->DisConnect());
        QCOMPARE(client->CurrentDir(), QString());
    }

    void listingEvents()
    {
        server->setListing(kUnixListing);
        server->on("PWD", [](Session& s, const QByteArray&) { s.reply("257 \"/\"\r\n"); });
        QVERIFY(connectClient());
        QSignalSpy begin(client.get(), &clsFtpClient::BeginEnumFiles);
        QSignalSpy entries(
            client.get(),
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile));
        QSignalSpy end(client.get(), &clsFtpClient::EndEnumFile);
        client->EnumFile();
        QCOMPARE(begin.size(), 1);
        QCOMPARE(begin.at(0).at(0).toInt(), 3);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(0).at(0).toString(), QStringLiteral("docs"));
        QCOMPARE(entries.at(0).at(2).toUInt(), 0x10u);
        QCOMPARE(entries.at(1).at(0).toString(), QStringLiteral("a.txt"));
        QCOMPARE(entries.at(1).at(1).toLongLong(), 12);
        QCOMPARE(entries.at(1).at(2).toUInt(), 0x80u);
        QCOMPARE(entries.at(2).at(1).toLongLong(), 3000000000LL);
        QCOMPARE(entries.at(2).at(2).toUInt(), 0x81u);
        const QDateTime written(QDate(2024, 3, 4), QTime(0, 0), Qt::UTC);
        QCOMPARE(entries.at(1).at(4).toDateTime(), written);
        QCOMPARE(entries.at(1).at(3).toDateTime(), written);
        QCOMPARE(entries.at(1).at(5).toDateTime(), written);
        QCOMPARE(end.size(), 1);
        QVERIFY(end.at(0).at(0).toBool());

        // Empty and refused listings look the same.
        for (const QByteArray& reply : {QByteArray(), QByteArray("550 No files\r\n")}) {
            begin.clear();
            entries.clear();
            end.clear();
            server->setListing(QByteArray());
            if (!reply.isEmpty())
                server->on("LIST", [reply](Session& s, const QByteArray&) { s.reply(reply); });
            client->EnumFile();
            QCOMPARE(begin.size(), 1);
            QCOMPARE(begin.at(0).at(0).toInt(), 0);
            QCOMPARE(entries.size(), 0);
            QCOMPARE(end.size(), 1);
            QVERIFY(!end.at(0).at(0).toBool());
        }
    }

    void entryLookups()
    {
        server->setListing(kUnixListing);
        QVERIFY(connectClient());
        qint64 size = -1;
        quint32 attributes = 0;
        QDateTime created, written, accessed;
        // A directory describes itself, found in its parent's listing.
        QVERIFY(
            client->GetFileInfo(QStringLiteral("sub\\docs"), size, attributes, created, written, accessed));
        QVERIFY(server->received("LIST sub"));
        QCOMPARE(attributes, 0x10u);
        QCOMPARE(written, QDateTime(QDate(2024, 1, 2), QTime(0, 0), Qt::UTC));
        QCOMPARE(created, written);
        QCOMPARE(client->FileSize(QStringLiteral("big.bin")), 3000000000LL);
        QCOMPARE(client->FileAttributes(QStringLiteral("a.txt")), 0x80u);
        QCOMPARE(client->FileSize(QStringLiteral("nothing")), 0);
        QCOMPARE(client->FileAttributes(QStringLiteral("nothing")), 0u);
        QCOMPARE(client->FileLastWriteTime(QStringLiteral("nothing")), clsFtpClient::zeroDate());
        QCOMPARE(client->FileCreationTime(QStringLiteral("nothing")), clsFtpClient::zeroDate());
        size = 42;
        QVERIFY(
            !client->GetFileInfo(QStringLiteral("nothing"), size, attributes, created, written, accessed));
        QCOMPARE(size, 42);
        QCOMPARE(client->FileSize(QStringLiteral("*.bin")), 3000000000LL);
    }

    void machineListings()
    {
        server->setFeatures("211-Features:\r\n MLST type*;size*;modify*;\r\n211 End\r\n");
        server->on("MLST", [](Session& s, const QByteArray& argument) {
            if (argument == "docs")
                s.reply("250-Listing docs\r\n type=dir;modify=20240102030405; docs\r\n250 End\r\n");
            else
                s.reply("550 No such file\r\n");
        });
        server->setListing("type=cdir; /home\r\ntype=pdir; /\r\ntype=dir;modify=20240102030405; "
                           "d1\r\ntype=dir;modify=20240102030405; d2\r\n"
                           "type=file;size=1;modify=20240102030405; f1.txt\r\n"
                           "type=file;size=2;modify=20240102030405; f2.txt\r\n"
                           "type=file;size=3;modify=20240102030405; f3.log\r\n"
                           "type=file;size=4;modify=20240102030405; f4.log\r\n"
                           "type=file;size=5;modify=20240102030405; f5.dat\r\n");
        QVERIFY(connectClient());
        QCOMPARE(client->FileAttributes(QStringLiteral("docs")), 0x10u);
        QCOMPARE(client->FileLastWriteTime(QStringLiteral("docs")),
                 QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC));
        QCOMPARE(client->FileSize(QStringLiteral("gone")), 0);

        QStringList found{QStringLiteral("keep me")};
        // "." and ".." as the server lists them, as EnumFile passes them on.
        QCOMPARE(client->SearchFile(found, QStringLiteral("*"), 0x10), 4);
        QCOMPARE(found, (QStringList{".", "..", "d1", "d2"}));
        QCOMPARE(client->SearchFile(found, QStringLiteral("*.log"), 0x80), 2);
        QCOMPARE(found, (QStringList{QStringLiteral("f3.log"), QStringLiteral("f4.log")}));
        QCOMPARE(client->SearchFile(found, QStringLiteral("*.none"), 0xff), 0);
        QCOMPARE(found, (QStringList{QStringLiteral("f3.log"), QStringLiteral("f4.log")}));
        QVERIFY(server->received("MLSD"));
        QVERIFY(!server->received("LIST"));
    }

    void namesTravelAsListed()
    {
        // A CP932 server listing a name whose bytes are not valid CP932.
        const QByteArray odd = "\x82\xa0\xff"
                               "bad";
        server->setListing("-rw-r--r-- 1 u g 5 Mar 04 2024 " + odd + "\r\n");
        QVERIFY(connectClient());
        QSignalSpy entries(
            client.get(),
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile));
        client->EnumFile();
        QCOMPARE(entries.size(), 1);
        const QString name = entries.at(0).at(0).toString();
        QVERIFY(client->DeleteFile(name));
        QVERIFY(server->commands().contains("DELE " + odd));
        QVERIFY(client->DeleteFile(QStringLiteral("データ")));
        QVERIFY(server->commands().contains("DELE " + *LegacyText::encode(QStringLiteral("データ"))));
    }

    void utf8Names()
    {
        server->setFeatures("211-Features:\r\n UTF8\r\n211 End\r\n");
        QVERIFY(connectClient());
        QVERIFY(server->received("OPTS UTF8 ON"));
        QVERIFY(client->DeleteFile(QStringLiteral("データ")));
        QVERIFY(server->commands().contains("DELE " + QStringLiteral("データ").toUtf8()));
    }

    void longAndBrokenReplies()
    {
        server->on("PWD", [](Session& s, const QByteArray&) {
            s.reply("257 \"/" + QByteArray(300, 'p') + "\" is current\r\n");
        });
        QVERIFY(connectClient());
        // The directory is read; the reply text is too long to hand out.
        QCOMPARE(client->CurrentDir(), QStringLiteral("/") + QString(300, QLatin1Char('p')));
        QCOMPARE(client->Response(), QString());
        // Past the reply limit: a directory cut there is none, and the session goes on.
        server->on("PWD", [](Session& s, const QByteArray&) {
            s.reply("257 \"/" + QByteArray(100000, 'p') + "\" is current\r\n");
        });
        QCOMPARE(client->CurrentDir(), QString());
        QVERIFY(client->CreateDirectory(QStringLiteral("x")));

        server->on("PWD", [](Session& s, const QByteArray&) { s.reply("257 \"" + QByteArray(100000, 'p')); });
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client->CurrentDir(), QString());
        QVERIFY(timer.elapsed() < kPromptMs);
        // The conversation is out of step: the session is closed, calls fail at once.
        QVERIFY(!client->CreateDirectory(QStringLiteral("x")));
    }

    void handlersCannotInterleaveCommands()
    {
        QVERIFY(connectClient());
        QStringList seen;
        connect(client.get(), &clsFtpClient::Receive, this, [&](qint64, const QString&) {
            seen.append(client->CurrentDir());
            client->setCurrentDir(QStringLiteral("/elsewhere"));
        });
        QVERIFY(client->GetFile(QStringLiteral("x"), local.filePath(QStringLiteral("x")), 128));
        QVERIFY(!seen.isEmpty());
        for (const QString& dir : std::as_const(seen))
            QCOMPARE(dir, QString());
        QVERIFY(!server->received("PWD"));
        QVERIFY(!server->received("CWD"));
    }

    void ipv6()
    {
        ScriptedFtpServer six;
        if (!six.start(QHostAddress::LocalHostIPv6))
            QSKIP("No IPv6 loopback here");
        six.setFile("v6", "over IPv6");
        client->setPort(six.port());
        QVERIFY(client->Connect(QStringLiteral("::1"), QStringLiteral("u"), QStringLiteral("p")));
        QVERIFY(client->GetFile(QStringLiteral("v6"), local.filePath(QStringLiteral("v6")), 128));
        QCOMPARE(readFile(local.filePath(QStringLiteral("v6"))), QByteArray("over IPv6"));
        QVERIFY(six.received("EPRT"));
    }
};

QTEST_GUILESS_MAIN(TestFtpScripted)
#include "test_hostile_servers.moc"
