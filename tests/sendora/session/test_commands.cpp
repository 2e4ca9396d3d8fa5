// clsFtpClient against real servers: login, listing, working directory, entry
// information, searching and remote entry management. Every case runs against
// pyftpdlib (MLSD), vsftpd with UTF8 and vsftpd without it (LIST, CP932).
#include "tests/sendora/session/SessionFixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <stdexcept>

namespace {

// A recent time, on a whole minute: LIST gives minutes only, MLSD seconds.
QDateTime seededTime()
{
    const QDateTime now = QDateTime::currentDateTimeUtc().addDays(-3);
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()), Qt::UTC);
}

QString stamp(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

class TestFtpSession : public QObject
{
    Q_OBJECT

private slots:
    void newObjectAndIdleObject()
    {
        clsFtpClient client;
        client.setTimeouts(2000, 2000);
        QCOMPARE(client.Port(), 21);
        QCOMPARE(client.TransferType(), clsFtpClient::kBinary);
        QVERIFY(client.Exists());
        QVERIFY(client.Reload());
        QCOMPARE(client.Response(), QString());
        QCOMPARE(client.CurrentDir(), QString());
        QVERIFY(client.DisConnect());

        QList<int> begins;
        QList<bool> ends;
        int entries = 0;
        connect(&client, &clsFtpClient::BeginEnumFiles, this, [&](int count) { begins << count; });
        connect(&client, &clsFtpClient::EndEnumFile, this, [&](bool enumerated) { ends << enumerated; });
        connect(
            &client,
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile),
            this, [&] { ++entries; });
        client.EnumFile();
        QCOMPARE(begins, QList<int>{0});
        QCOMPARE(ends, QList<bool>{false});
        QCOMPARE(entries, 0);

        QCOMPARE(client.FileSize(QStringLiteral("a.txt")), 0);
        QCOMPARE(client.FileAttributes(QStringLiteral("a.txt")), 0u);
        QCOMPARE(client.FileLastWriteTime(QStringLiteral("a.txt")), clsFtpClient::zeroDate());
        QCOMPARE(stamp(clsFtpClient::zeroDate()), QStringLiteral("1899-12-30 00:00:00"));
        QVERIFY(!client.CreateDirectory(QStringLiteral("x")));
        QVERIFY(!client.DeleteFile(QStringLiteral("x")));
        QTemporaryDir local;
        QVERIFY(!client.GetFile(QStringLiteral("x"), local.filePath(QStringLiteral("x")), 128));
        QVERIFY(!QFile::exists(local.filePath(QStringLiteral("x"))));

        QCOMPARE(clsFtpClient::ToFtpPath(QStringLiteral("a\\b\\c.txt")), QStringLiteral("a/b/c.txt"));
        QCOMPARE(clsFtpClient::ToFtpPath(QStringLiteral("plain.txt")), QStringLiteral("plain.txt"));

        client.setPort(0);
        QVERIFY_THROWS_EXCEPTION(std::exception, client.Connect(QStringLiteral("127.0.0.1"), {}, {}));
        client.setPort(65536);
        QVERIFY_THROWS_EXCEPTION(std::exception, client.Connect(QStringLiteral("127.0.0.1"), {}, {}));
    }

    void login_data() { ServerUnderTest::addRows(); }
    void login()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        FtpServerOptions options;
        options.allowAnonymous = true;
        START_SESSION(f, options);
        QVERIFY(f.put(QStringLiteral("seed.txt"), "seed"));
        clsFtpClient& client = f.client();

        CONNECT_SESSION(f);
        QVERIFY2(client.Response().contains(QStringLiteral("230")), qPrintable(client.Response()));
        QVERIFY(client.Response().endsWith(QStringLiteral("\r\n")));
        // The welcome and the login replies only: not those to FEAT or OPTS.
        QVERIFY2(client.Response().startsWith(QStringLiteral("220")), qPrintable(client.Response()));
        QVERIFY2(!client.Response().contains(QStringLiteral("211")), qPrintable(client.Response()));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/"));
        QVERIFY2(!f.hasProgressEvents(), "connecting raises neither Send nor Receive");
        QTRY_COMPARE(f.server().openConnections(), 1);

        // A refused login closes the connection that was open before it.
        QVERIFY(!client.Connect(f.server().host(), f.server().user(), QStringLiteral("wrong-password")));
        QVERIFY2(client.Response().contains(QStringLiteral("530")), qPrintable(client.Response()));
        QCOMPARE(client.CurrentDir(), QString());
        QTRY_COMPARE(f.server().openConnections(), 0);

        // Empty user name and password: anonymous.
        QVERIFY2(client.Connect(f.server().host(), QString(), QString()),
                 qPrintable(client.Response() + f.server().log()));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/"));
        QCOMPARE(client.FileSize(QStringLiteral("seed.txt")), 4);
        QVERIFY(f.server().hasBeenAsked(QStringLiteral("USER anonymous")));

        // A host name: whichever address family it resolves to first, the one the server listens on is found.
        QVERIFY2(client.Connect(QStringLiteral("localhost"), f.server().user(), f.server().password()),
                 qPrintable(client.Response()));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/"));
    }

    void reconnectAndEmptyServer_data() { ServerUnderTest::addRows(); }
    void reconnectAndEmptyServer()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        CONNECT_SESSION(f);
        QTRY_COMPARE(f.server().openConnections(), 1);

        // A second Connect closes the first connection before opening its own.
        CONNECT_SESSION(f);
        QTRY_COMPARE(f.server().openConnections(), 1);
        QCOMPARE(f.client().CurrentDir(), QStringLiteral("/"));

        QVERIFY(!f.client().Connect(QString(), f.server().user(), f.server().password()));
        QTRY_COMPARE(f.server().openConnections(), 0);
        QCOMPARE(f.client().CurrentDir(), QString());
        QVERIFY(f.client().DisConnect());

        CONNECT_SESSION(f);
        QVERIFY(f.client().DisConnect());
        QTRY_COMPARE(f.server().openConnections(), 0);

        // A server that goes away: every call fails promptly, none hangs.
        CONNECT_SESSION(f);
        f.server().stop();
        QElapsedTimer elapsed;
        elapsed.start();
        f.events.clear();
        f.client().EnumFile();
        const QList<SessionEvent> begin = f.eventsOf(SessionEvent::BeginEnumFiles);
        QCOMPARE(begin.size(), 1);
        QCOMPARE(begin.first().count, 0);
        QCOMPARE(f.eventsOf(SessionEvent::EndEnumFile).size(), 1);
        QCOMPARE(f.eventsOf(SessionEvent::EndEnumFile).first().flag, false);
        QVERIFY(!f.client().GetFile(QStringLiteral("x.txt"), f.localPath(QStringLiteral("x.txt")), 128));
        QVERIFY(!QFileInfo::exists(f.localPath(QStringLiteral("x.txt"))));
        QCOMPARE(f.client().FileSize(QStringLiteral("x.txt")), 0);
        QCOMPARE(f.client().CurrentDir(), QString());
        QVERIFY(!f.client().Connect(f.server().host(), f.server().user(), f.server().password()));
        QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    }

    void enumFile_data() { ServerUnderTest::addRows(); }
    void enumFile()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        const QDateTime when = seededTime();
        QVERIFY(f.mkdir(QStringLiteral("empty")));
        QVERIFY(f.mkdir(QStringLiteral("three")));
        QVERIFY(f.put(QStringLiteral("three/a.txt"), "12345", when));
        QVERIFY(f.put(QStringLiteral("three/b.bin"), QByteArray(70000, 'b'), when));
        QVERIFY(f.mkdir(QStringLiteral("three/sub")));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        client.setCurrentDir(QStringLiteral("empty"));
        f.events.clear();
        client.EnumFile();
        QList<SessionEvent> listing = f.eventsOf(SessionEvent::BeginEnumFiles) +
                                      f.eventsOf(SessionEvent::EnumFile) +
                                      f.eventsOf(SessionEvent::EndEnumFile);
        QCOMPARE(listing.size(), 2);
        QCOMPARE(listing[0].kind, SessionEvent::BeginEnumFiles);
        QCOMPARE(listing[0].count, 0);
        QCOMPARE(listing[1].kind, SessionEvent::EndEnumFile);
        QCOMPARE(listing[1].flag, false);

        // Handlers may call the object again: the listing is complete before the first event.
        QList<qint64> sizesAskedInHandler;
        const QMetaObject::Connection asking = QObject::connect(
            &client,
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile),
            &client, [&](const QString& name) { sizesAskedInHandler << client.FileSize(name); });
        client.setCurrentDir(QStringLiteral("/three"));
        f.events.clear();
        client.EnumFile();
        QVERIFY2(!f.eventsOf(SessionEvent::Receive).isEmpty(), "a listing is a find: it reports its replies");
        listing.clear();
        for (const SessionEvent& event : std::as_const(f.events)) {
            if (event.kind != SessionEvent::Send && event.kind != SessionEvent::Receive) {
                listing << event;
            }
        }
        QCOMPARE(listing.size(), 5);
        QCOMPARE(listing.first().kind, SessionEvent::BeginEnumFiles);
        QCOMPARE(listing.first().count, 3);
        QCOMPARE(listing.last().kind, SessionEvent::EndEnumFile);
        QCOMPARE(listing.last().flag, true);

        // Server order: pyftpdlib sends the folder's own order, vsftpd sorts by name.
        QStringList expected;
        for (const QByteArray& name : DiskNames::list(f.root(), "three")) {
            expected << QString::fromUtf8(name);
        }
        if (f.server().isVsftpd()) {
            expected.sort();
        }
        QStringList names;
        for (qsizetype i = 1; i <= 3; ++i) {
            const SessionEvent& entry = listing[i];
            QCOMPARE(entry.kind, SessionEvent::EnumFile);
            names << entry.text;
            const bool isDir = entry.text == QStringLiteral("sub");
            QCOMPARE(bool(entry.attr & clsFtpClient::kAttrDirectory), isDir);
            if (!isDir) {
                QCOMPARE(entry.attr & clsFtpClient::kAttrNormal, clsFtpClient::kAttrNormal);
                QCOMPARE(entry.bytes, entry.text == QStringLiteral("a.txt") ? 5 : 70000);
                QCOMPARE(stamp(entry.write), stamp(when));
                QCOMPARE(entry.create, entry.write);
                QCOMPARE(entry.access, entry.write);
            }
        }
        QCOMPARE(names, expected);
        QCOMPARE(sizesAskedInHandler.size(), 3);
        QCOMPARE(sizesAskedInHandler[int(names.indexOf(QStringLiteral("a.txt")))], 5);
        QObject::disconnect(asking);

        // A listing far larger than one read of the data connection.
        constexpr int kMany = 1500;
        QVERIFY(f.mkdir(QStringLiteral("many")));
        for (int i = 0; i < kMany; ++i) {
            QVERIFY(DiskNames::writeFile(f.root(), "many/entry-" + QByteArray::number(i) + ".dat",
                                         QByteArray::number(i)));
        }
        f.server().grantAccess();
        client.setCurrentDir(QStringLiteral("/many"));
        f.events.clear();
        client.EnumFile();
        QCOMPARE(f.eventsOf(SessionEvent::BeginEnumFiles).first().count, kMany);
        const QList<SessionEvent> many = f.eventsOf(SessionEvent::EnumFile);
        QCOMPARE(many.size(), kMany);
        QSet<QString> distinct;
        for (const SessionEvent& entry : many) {
            distinct.insert(entry.text);
            const int index = entry.text.mid(6).chopped(4).toInt(); // entry-<index>.dat
            QCOMPARE(entry.bytes, qint64(QByteArray::number(index).size()));
        }
        QCOMPARE(distinct.size(), kMany);
        QVERIFY(distinct.contains(QStringLiteral("entry-1499.dat")));
    }

    void currentDir_data() { ServerUnderTest::addRows(); }
    void currentDir()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        QVERIFY(f.mkdir(QStringLiteral("sub")));
        QVERIFY(f.mkdir(QStringLiteral("sub/inner")));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        QCOMPARE(client.CurrentDir(), QStringLiteral("/"));
        client.setCurrentDir(QStringLiteral("sub"));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/sub"));
        client.setCurrentDir(QStringLiteral("inner"));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/sub/inner"));
        client.setCurrentDir(QString());
        QCOMPARE(client.CurrentDir(), QStringLiteral("/sub/inner"));
        client.setCurrentDir(QStringLiteral("missing"));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/sub/inner"));
        client.setCurrentDir(QStringLiteral("/"));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/"));
        client.setCurrentDir(QStringLiteral("sub\\inner"));
        QCOMPARE(client.CurrentDir(), QStringLiteral("/sub/inner"));
        QVERIFY2(!f.hasProgressEvents(), "directory changes raise neither Send nor Receive");

        QVERIFY(client.DisConnect());
        QCOMPARE(client.CurrentDir(), QString());
        client.setCurrentDir(QStringLiteral("sub"));
        QCOMPARE(client.CurrentDir(), QString());
    }

    void entryInformation_data() { ServerUnderTest::addRows(); }
    void entryInformation()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        const QDateTime when = seededTime();
        QVERIFY(f.mkdir(QStringLiteral("info")));
        QVERIFY(f.put(QStringLiteral("info/data.bin"), QByteArray(1234, 'd'), when));
        QVERIFY(f.mkdir(QStringLiteral("info/folder")));
        QVERIFY(f.put(QStringLiteral("info/folder/inside.txt"), "inside", when));
        QVERIFY(DiskNames::setModified(f.root(), "info/folder", when));
        QVERIFY(f.put(QStringLiteral("info/locked.txt"), "locked", when));
        QVERIFY(DiskNames::setMode(f.root(), "info/locked.txt", 0444));
        const qint64 huge = 5'000'000'123LL; // past 4 GiB: sizes are 64-bit throughout
        QVERIFY(DiskNames::makeSparse(f.root(), "info/huge.bin", huge));
        f.server().grantAccess();
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        qint64 size = -1;
        quint32 attr = 0xdead;
        QDateTime created, written, accessed;
        QVERIFY(client.GetFileInfo(QStringLiteral("info/data.bin"), size, attr, created, written, accessed));
        QCOMPARE(size, 1234);
        QCOMPARE(attr, clsFtpClient::kAttrNormal);
        QCOMPARE(stamp(written), stamp(when));
        QCOMPARE(created, written);
        QCOMPARE(accessed, written);
        QVERIFY2(!f.eventsOf(SessionEvent::Send).isEmpty() && !f.eventsOf(SessionEvent::Receive).isEmpty(),
                 "a find reports its commands and replies");

        // A directory describes itself, not its contents.
        QVERIFY(client.GetFileInfo(QStringLiteral("info/folder"), size, attr, created, written, accessed));
        QCOMPARE(attr & clsFtpClient::kAttrDirectory, clsFtpClient::kAttrDirectory);
        QCOMPARE(stamp(written), stamp(when));

        size = 77;
        attr = 0x77;
        const QDateTime kept(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
        created = written = accessed = kept;
        QVERIFY(
            !client.GetFileInfo(QStringLiteral("info/missing.bin"), size, attr, created, written, accessed));
        QCOMPARE(size, 77);
        QCOMPARE(attr, 0x77u);
        QCOMPARE(created, kept);
        QCOMPARE(written, kept);
        QCOMPARE(accessed, kept);

        QCOMPARE(client.FileSize(QStringLiteral("info/data.bin")), 1234);
        QCOMPARE(client.FileSize(QStringLiteral("info/huge.bin")), huge);
        QCOMPARE(client.FileSize(QStringLiteral("info/missing.bin")), 0);
        QCOMPARE(client.FileAttributes(QStringLiteral("info/data.bin")), clsFtpClient::kAttrNormal);
        QCOMPARE(client.FileAttributes(QStringLiteral("info/folder")) & clsFtpClient::kAttrDirectory,
                 clsFtpClient::kAttrDirectory);
        QCOMPARE(client.FileAttributes(QStringLiteral("info/missing.bin")), 0u);
        if (!f.server().hasMlsd()) {
            // LIST shows the mode bits: r--r--r-- is read-only. (pyftpdlib's MLSD perm fact
            // describes the account's rights, which are full.)
            QCOMPARE(client.FileAttributes(QStringLiteral("info/locked.txt")),
                     clsFtpClient::kAttrNormal | clsFtpClient::kAttrReadOnly);
        }
        QCOMPARE(stamp(client.FileLastWriteTime(QStringLiteral("info/data.bin"))), stamp(when));
        QCOMPARE(stamp(client.FileCreationTime(QStringLiteral("info/data.bin"))), stamp(when));
        QCOMPARE(stamp(client.FileLastAccessTime(QStringLiteral("info/data.bin"))), stamp(when));
        QCOMPARE(client.FileLastWriteTime(QStringLiteral("info/missing.bin")), clsFtpClient::zeroDate());
        QCOMPARE(client.FileCreationTime(QStringLiteral("info/missing.bin")), clsFtpClient::zeroDate());
        QCOMPARE(client.FileLastAccessTime(QStringLiteral("info/missing.bin")), clsFtpClient::zeroDate());
        QCOMPARE(client.FileSize(QStringLiteral("info\\data.bin")), 1234);
    }

    void searchFile_data() { ServerUnderTest::addRows(); }
    void searchFile()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        QVERIFY(f.mkdir(QStringLiteral("tree")));
        for (const char* dir : {"tree/d1", "tree/d2"}) {
            QVERIFY(f.mkdir(QString::fromLatin1(dir)));
        }
        for (const char* file :
             {"tree/f1.txt", "tree/f2.txt", "tree/f3.txt", "tree/g1.log", "tree/Upper.TXT"}) {
            QVERIFY(f.put(QString::fromLatin1(file), "x"));
        }
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();
        const QStringList old{QStringLiteral("old1"), QStringLiteral("old2"), QStringLiteral("old3"),
                              QStringLiteral("old4")};

        QStringList found = old;
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree"), clsFtpClient::kAttrDirectory), 2);
        QCOMPARE(sorted(found), (QStringList{QStringLiteral("d1"), QStringLiteral("d2")}));

        found = old;
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree"),
                                   clsFtpClient::kAttrDirectory | clsFtpClient::kAttrNormal),
                 7);
        QCOMPARE(found.size(), 7);

        found.clear();
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/*.txt"), clsFtpClient::kAttrNormal), 3);
        QCOMPARE(sorted(found),
                 (QStringList{QStringLiteral("f1.txt"), QStringLiteral("f2.txt"), QStringLiteral("f3.txt")}));
        found.clear();
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree\\f?.txt"), clsFtpClient::kAttrNormal), 3);
        found.clear();
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/*.TXT"), clsFtpClient::kAttrNormal), 1);
        QCOMPARE(found, QStringList{QStringLiteral("Upper.TXT")});
        found.clear();
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/d*"), clsFtpClient::kAttrDirectory), 2);

        // No match: 0 and the array as it was.
        found = old;
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/*.none"), clsFtpClient::kAttrNormal), 0);
        QCOMPARE(found, old);
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/*.txt"), clsFtpClient::kAttrDirectory), 0);
        QCOMPARE(client.SearchFile(found, QStringLiteral("tree/d1"), clsFtpClient::kAttrNormal), 0);
        QCOMPARE(client.SearchFile(found, QStringLiteral("missing/*"), clsFtpClient::kAttrNormal), 0);
        QCOMPARE(found, old);
    }

    void manageEntries_data() { ServerUnderTest::addRows(); }
    void manageEntries()
    {
        QFETCH(ServerKind, kind);
        SessionFixture f(kind);
        START_SESSION(f);
        QVERIFY(f.put(QStringLiteral("old.txt"), "content"));
        CONNECT_SESSION(f);
        clsFtpClient& client = f.client();

        QVERIFY(client.CreateDirectory(QStringLiteral("made")));
        QVERIFY(f.exists(QStringLiteral("made")));
        QVERIFY(!client.CreateDirectory(QStringLiteral("made")));
        QVERIFY(client.CreateDirectory(QStringLiteral("made\\inner")));
        QVERIFY(f.exists(QStringLiteral("made/inner")));

        QVERIFY(client.RenameFile(QStringLiteral("old.txt"), QStringLiteral("new.txt")));
        QVERIFY(!f.exists(QStringLiteral("old.txt")));
        QCOMPARE(f.get(QStringLiteral("new.txt")), QByteArray("content"));
        QVERIFY(!client.RenameFile(QStringLiteral("old.txt"), QStringLiteral("other.txt")));
        QVERIFY(client.RenameFile(QStringLiteral("new.txt"), QStringLiteral("made\\inner\\moved.txt")));
        QCOMPARE(f.get(QStringLiteral("made/inner/moved.txt")), QByteArray("content"));

        QVERIFY2(!client.RemoveDirectory(QStringLiteral("made")), "a folder with contents stays");
        QVERIFY(f.exists(QStringLiteral("made/inner/moved.txt")));
        QVERIFY(client.DeleteFile(QStringLiteral("made\\inner\\moved.txt")));
        QVERIFY(!f.exists(QStringLiteral("made/inner/moved.txt")));
        QVERIFY(!client.DeleteFile(QStringLiteral("made/inner/moved.txt")));
        QVERIFY2(client.Response().startsWith(QStringLiteral("550")), qPrintable(client.Response()));
        QVERIFY(client.RemoveDirectory(QStringLiteral("made\\inner")));
        QVERIFY(client.RemoveDirectory(QStringLiteral("made")));
        QVERIFY(!f.exists(QStringLiteral("made")));
        QVERIFY(!client.RemoveDirectory(QStringLiteral("made")));
        QVERIFY2(!f.hasProgressEvents(), "deletes, renames and folders raise neither Send nor Receive");
    }
};

QTEST_GUILESS_MAIN(TestFtpSession)
#include "test_commands.moc"
