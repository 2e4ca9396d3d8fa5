// clsFtpClient transfers against real servers: binary and ASCII both ways with
// Reload on and off, the progress events, Exists, failures that must leave
// files alone, names with backslashes, Japanese names and IPv6.
#include "platform/text/LegacyText.h"
#include "tests/sendora/session/SessionFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <unistd.h>

namespace {

// Every byte value, lone CRs and LFs and CR LF pairs: a binary transfer must
// not touch any of them. Larger than one 64 KiB block.
QByteArray binaryPayload()
{
    QByteArray data;
    QRandomGenerator generator(1959);
    for (int i = 0; i < 256; ++i) {
        data.append(char(i));
    }
    data.append("\r\n\n\r\r\n");
    while (data.size() < 200'000) {
        data.append(char(generator.bounded(256)));
    }
    return data;
}

// Text in the legacy code page with the local (LF) line ends.
QByteArray textPayload()
{
    QByteArray data;
    for (int line = 0; data.size() < 150'000; ++line) {
        data += LegacyText::encode(QStringLiteral("%1行目,検証データ,ソフト表,0123456789").arg(line))
                    .value_or("?");
        data += '\n';
    }
    return data;
}

bool writeLocal(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readLocal(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList localEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestFtpTransfers : public QObject
{
    Q_OBJECT

private slots:
    void transfers_data()
    {
        QTest::addColumn<ServerKind>("kind");
        QTest::addColumn<bool>("ascii");
        const struct
        {
            ServerKind kind;
            const char* name;
        } servers[] = {{ServerKind::PyFtpd, "pyftpdlib"},
                       {ServerKind::VsftpdUtf8, "vsftpd utf8"},
                       {ServerKind::VsftpdCp932, "vsftpd cp932"}};
        for (const auto& server : servers) {
            for (const bool ascii : {false, true}) {
                QTest::addRow("%s %s", server.name, ascii ? "ascii" : "binary") << server.kind << ascii;
            }
        }
    }
    // Both ways, with Reload on and then off (we keep no cache, so both fetch
    // from the server), checking the bytes on both sides, the TYPE sent and
    // the progress events.
    void transfers()
    {
        QFETCH(ServerKind, kind);
        QFETCH(bool, ascii);
        SessionFixture f(kind);
        START_SESSION(f);
        const QByteArray payload = ascii ? textPayload() : binaryPayload();
        QVERIFY(f.put(QStringLiteral("down.dat"), payload));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();
        client.setTransferType(ascii ? clsFtpClient::kAscii : clsFtpClient::kBinary);
        const QString type = ascii ? QStringLiteral("TYPE A") : QStringLiteral("TYPE I");

        for (const bool reload : {true, false}) {
            client.setReload(reload);
            const QString local =
                f.localPath(reload ? QStringLiteral("down-reload.dat") : QStringLiteral("down.dat"));
            const QString remote = reload ? QStringLiteral("up-reload.dat") : QStringLiteral("up.dat");
            qsizetype mark = f.server().logMark();
            f.events.clear();
            QVERIFY2(client.GetFile(QStringLiteral("down.dat"), local, 128), qPrintable(client.Response()));
            QCOMPARE(readLocal(local), payload);
            QVERIFY2(f.server().hasBeenAsked(type, mark), qPrintable(f.server().log().mid(mark)));
            QVERIFY(f.server().hasBeenAsked(QStringLiteral("RETR down.dat"), mark));
            QVERIFY2(f.bytesOf(SessionEvent::Receive) >= payload.size(),
                     qPrintable(QString::number(f.bytesOf(SessionEvent::Receive))));
            QVERIFY(!f.eventsOf(SessionEvent::Send).isEmpty());

            mark = f.server().logMark();
            f.events.clear();
            QVERIFY2(client.PutFile(local, remote), qPrintable(client.Response()));
            QCOMPARE(f.get(remote), payload);
            QVERIFY2(f.server().hasBeenAsked(type, mark), qPrintable(f.server().log().mid(mark)));
            QVERIFY(f.server().hasBeenAsked(QStringLiteral("STOR ") + remote, mark));
            QVERIFY2(f.bytesOf(SessionEvent::Send) >= payload.size(),
                     qPrintable(QString::number(f.bytesOf(SessionEvent::Send))));
            QVERIFY(!f.eventsOf(SessionEvent::Receive).isEmpty());
            bool sawReply = false;
            for (const SessionEvent& event : std::as_const(f.events)) {
                QVERIFY(event.bytes >= 0);
                sawReply = sawReply || !event.text.isEmpty();
            }
            QVERIFY2(sawReply, "progress events carry the reply text");
        }
        QCOMPARE(localEntries(f.localFolder()),
                 (QStringList{QStringLiteral("down-reload.dat"), QStringLiteral("down.dat")}));

        // An upload replaces what is there; empty files travel both ways.
        QVERIFY(writeLocal(f.localPath(QStringLiteral("empty.dat")), QByteArray()));
        QVERIFY(client.PutFile(f.localPath(QStringLiteral("empty.dat")), QStringLiteral("up.dat")));
        QCOMPARE(f.get(QStringLiteral("up.dat")), QByteArray());
        QVERIFY(client.GetFile(QStringLiteral("up.dat"), f.localPath(QStringLiteral("down.dat")), 128));
        QVERIFY(QFileInfo::exists(f.localPath(QStringLiteral("down.dat"))));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("down.dat"))), QByteArray());
    }

    void downloadKeepsLocalFiles_data() { ServerUnderTest::addRows(); }
    void downloadKeepsLocalFiles()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        QVERIFY(f.put(QStringLiteral("remote.txt"), "from the server"));
        QVERIFY(f.mkdir(QStringLiteral("folder")));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();
        const QString target = f.localPath(QStringLiteral("target.txt"));
        QVERIFY(writeLocal(target, "precious"));

        // Exists False onto an existing file: refused before the server is asked.
        client.setExists(false);
        const qsizetype mark = f.server().logMark();
        QVERIFY(!client.GetFile(QStringLiteral("remote.txt"), target, 128));
        QCOMPARE(readLocal(target), QByteArray("precious"));
        QVERIFY(!f.server().hasBeenAsked(QStringLiteral("RETR"), mark));

        // A transfer the server refuses leaves the old file and no temporary.
        client.setExists(true);
        QVERIFY(!client.GetFile(QStringLiteral("missing.txt"), target, 128));
        QCOMPARE(readLocal(target), QByteArray("precious"));
        QCOMPARE(localEntries(f.localFolder()), QStringList{QStringLiteral("target.txt")});
        QVERIFY(!client.GetFile(QStringLiteral("missing.txt"), f.localPath(QStringLiteral("new.txt")), 128));
        QCOMPARE(localEntries(f.localFolder()), QStringList{QStringLiteral("target.txt")});

        QVERIFY(client.GetFile(QStringLiteral("remote.txt"), target, 128));
        QCOMPARE(readLocal(target), QByteArray("from the server"));

        // A folder is no file, and a target in a missing folder cannot be written.
        QVERIFY(!client.GetFile(QStringLiteral("folder"), f.localPath(QStringLiteral("folder")), 128));
        QVERIFY(
            !client.GetFile(QStringLiteral("remote.txt"), f.localPath(QStringLiteral("no/such/x.txt")), 128));
        QCOMPARE(localEntries(f.localFolder()), QStringList{QStringLiteral("target.txt")});

        // Exists False with no local file: downloads.
        client.setExists(false);
        QVERIFY(client.GetFile(QStringLiteral("remote.txt"), f.localPath(QStringLiteral("fresh.txt")), 128));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("fresh.txt"))), QByteArray("from the server"));
    }

    void refusedUploads_data() { ServerUnderTest::addRows(); }
    void refusedUploads()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        FtpServerOptions options;
        options.refuseStor = true;
        START_SESSION(f, options);
        QVERIFY(f.put(QStringLiteral("kept.txt"), "kept"));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        qsizetype mark = f.server().logMark();
        QVERIFY(!client.PutFile(f.localPath(QStringLiteral("missing.bin")), QStringLiteral("missing.bin")));
        QVERIFY(!f.server().hasBeenAsked(QStringLiteral("STOR"), mark));

        QVERIFY(writeLocal(f.localPath(QStringLiteral("up.bin")), "data"));
        QVERIFY(!client.PutFile(f.localPath(QStringLiteral("up.bin")), QStringLiteral("up.bin")));
        QVERIFY(!client.PutFile(f.localPath(QStringLiteral("up.bin")), QStringLiteral("kept.txt")));
        QVERIFY(!f.exists(QStringLiteral("up.bin")));
        QCOMPARE(f.get(QStringLiteral("kept.txt")), QByteArray("kept"));
        // Response holds the replies of the whole operation; the refusal is the last one.
        const QStringList replies = client.Response().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY2(!replies.isEmpty() && replies.last().startsWith(QStringLiteral("55")),
                 qPrintable(client.Response()));
    }

    void backslashNames_data() { ServerUnderTest::addRows(); }
    void backslashNames()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        QVERIFY(f.mkdir(QStringLiteral("sub")));
        QVERIFY(f.mkdir(QStringLiteral("sub/inner")));
        QVERIFY(f.put(QStringLiteral("sub/inner/file.txt"), "nested"));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        QCOMPARE(client.FileSize(QStringLiteral("sub\\inner\\file.txt")), 6);
        QVERIFY(client.GetFile(QStringLiteral("sub\\inner\\file.txt"), f.localPath(QStringLiteral("got.txt")),
                               128));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("got.txt"))), QByteArray("nested"));
        QVERIFY(
            client.PutFile(f.localPath(QStringLiteral("got.txt")), QStringLiteral("sub\\inner\\put.txt")));
        QCOMPARE(f.get(QStringLiteral("sub/inner/put.txt")), QByteArray("nested"));
        QVERIFY(client.DeleteFile(QStringLiteral("sub\\inner\\put.txt")));
        QVERIFY(!f.exists(QStringLiteral("sub/inner/put.txt")));
    }

    void japaneseNames_data() { ServerUnderTest::addRows(); }
    void japaneseNames()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        // ソ and 表 end in the byte 0x5C in CP932: it must never be taken for a separator.
        const QString folder = QStringLiteral("日本語フォルダ");
        const QString inside = QStringLiteral("日本語フォルダ/検証データ.txt");
        const QString tricky = QStringLiteral("ソフト表.txt");
        QVERIFY(f.mkdir(folder));
        QVERIFY(f.put(inside, "検証"));
        QVERIFY(f.put(tricky, "0x5C"));
        if (!f.server().utf8Names()) {
            QVERIFY(f.diskName(tricky).contains('\\'));
        }
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        f.events.clear();
        client.EnumFile();
        QStringList names;
        for (const SessionEvent& event : f.eventsOf(SessionEvent::EnumFile)) {
            names << event.text;
        }
        names.sort();
        QStringList expected{folder, tricky};
        expected.sort();
        QCOMPARE(names, expected);

        QCOMPARE(client.FileSize(tricky), 4);
        QCOMPARE(client.FileSize(QStringLiteral("日本語フォルダ\\検証データ.txt")), 6);
        const QString local = f.localPath(QStringLiteral("受信データ.txt"));
        QVERIFY(client.GetFile(inside, local, 128));
        QCOMPARE(readLocal(local), QByteArray("検証"));
        QVERIFY(client.GetFile(tricky, f.localPath(QStringLiteral("ソフト.txt")), 128));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("ソフト.txt"))), QByteArray("0x5C"));

        QVERIFY(client.PutFile(local, QStringLiteral("日本語フォルダ\\送信済み.lzh")));
        QCOMPARE(f.get(QStringLiteral("日本語フォルダ/送信済み.lzh")), QByteArray("検証"));
        QVERIFY(client.RenameFile(tricky, QStringLiteral("表計算ソフト.txt")));
        QVERIFY(f.exists(QStringLiteral("表計算ソフト.txt")));
        QVERIFY(!f.exists(tricky));
        QVERIFY(client.CreateDirectory(QStringLiteral("新しいフォルダ")));
        QVERIFY(f.exists(QStringLiteral("新しいフォルダ")));

        client.setCurrentDir(folder);
        QCOMPARE(client.CurrentDir(), QStringLiteral("/") + folder);
        QStringList found;
        QCOMPARE(client.SearchFile(found, QStringLiteral("*.lzh"), clsFtpClient::kAttrNormal), 1);
        QCOMPARE(found, QStringList{QStringLiteral("送信済み.lzh")});
        found.clear();
        QCOMPARE(
            client.SearchFile(found, QStringLiteral("/日本語フォルダ\\検証*.txt"), clsFtpClient::kAttrNormal),
            1);
        QCOMPARE(found, QStringList{QStringLiteral("検証データ.txt")});
        QVERIFY(client.DeleteFile(QStringLiteral("送信済み.lzh")));
        QVERIFY(!f.exists(QStringLiteral("日本語フォルダ/送信済み.lzh")));
    }

    void unusualNames_data() { ServerUnderTest::addRows(); }
    void unusualNames()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        const QString blanks = QStringLiteral("a file  with blanks.txt");
        QVERIFY(f.put(blanks, "blanks"));
        QVERIFY(::symlink(f.diskName(blanks).constData(),
                          (QFile::encodeName(f.root()) + "/alias.lnk").constData()) == 0);
        // A name the session's encoding cannot decode: it must still reach the
        // server as the bytes it came as.
        QByteArray undecodable;
        if (f.server().isVsftpd()) {
            undecodable = f.server().utf8Names() ? LegacyText::encode(QStringLiteral("検証.txt")).value_or("")
                                                 : QByteArray("bad\xfd\xfe.txt");
            QVERIFY(DiskNames::writeFile(f.root(), undecodable, "raw bytes"));
        }
        if (f.server().hasMlsd()) {
            QVERIFY(f.put(QStringLiteral(" leading and trailing "), "edges")); // MLSD keeps the blanks
        }
        f.server().grantAccess();
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        client.EnumFile();
        QStringList names;
        for (const SessionEvent& event : f.eventsOf(SessionEvent::EnumFile)) {
            names << event.text;
        }
        QVERIFY2(names.contains(blanks), qPrintable(names.join(QLatin1Char('|'))));
        QVERIFY2(names.contains(QStringLiteral("alias.lnk")), qPrintable(names.join(QLatin1Char('|'))));
        QCOMPARE(client.FileSize(blanks), 6);
        QVERIFY(client.GetFile(blanks, f.localPath(QStringLiteral("got.txt")), 128));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("got.txt"))), QByteArray("blanks"));
        QVERIFY(client.RenameFile(blanks, QStringLiteral("now  renamed.txt")));
        QCOMPARE(f.get(QStringLiteral("now  renamed.txt")), QByteArray("blanks"));

        if (f.server().hasMlsd()) {
            QVERIFY2(names.contains(QStringLiteral(" leading and trailing ")),
                     qPrintable(names.join(QLatin1Char('|'))));
            QCOMPARE(client.FileSize(QStringLiteral(" leading and trailing ")), 5);
        }
        if (!undecodable.isEmpty()) {
            QCOMPARE(names.size(), 3);
            QString listed;
            for (const QString& name : std::as_const(names)) {
                if (name != blanks && name != QStringLiteral("alias.lnk")) {
                    listed = name;
                }
            }
            QCOMPARE(client.FileSize(listed), 9);
            QVERIFY(client.GetFile(listed, f.localPath(QStringLiteral("raw.txt")), 128));
            QCOMPARE(readLocal(f.localPath(QStringLiteral("raw.txt"))), QByteArray("raw bytes"));
            QVERIFY(client.DeleteFile(listed));
            QVERIFY(!DiskNames::exists(f.root(), undecodable));
        }
    }

    void ipv6_data() { ServerUnderTest::addRows(); }
    void ipv6()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        FtpServerOptions options;
        options.host = QStringLiteral("::1");
        START_SESSION(f, options);
        QVERIFY(f.put(QStringLiteral("six.txt"), "over IPv6"));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        client.EnumFile();
        const QList<SessionEvent> entries = f.eventsOf(SessionEvent::EnumFile);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().text, QStringLiteral("six.txt"));
        QVERIFY(client.GetFile(QStringLiteral("six.txt"), f.localPath(QStringLiteral("six.txt")), 128));
        QCOMPARE(readLocal(f.localPath(QStringLiteral("six.txt"))), QByteArray("over IPv6"));
        QVERIFY(client.PutFile(f.localPath(QStringLiteral("six.txt")), QStringLiteral("back.txt")));
        QCOMPARE(f.get(QStringLiteral("back.txt")), QByteArray("over IPv6"));
    }
};

QTEST_GUILESS_MAIN(TestFtpTransfers)
#include "test_transfers.moc"
