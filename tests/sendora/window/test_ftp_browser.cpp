// The FTP browser on bare controls, without the main window, against real and
// scripted servers: the listing, opening rows and links, a refused new folder,
// drops without files and the downloads.
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "tests/sendora/window/WindowFixture.h"
#include "tests/support/ftp/ScriptedFtpServer.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTest>

namespace {

// Connected, showing the server's home folder (no public_html there); what the
// connect said on the way is not the test's business.
void connectAtHome(WindowFixture& fixture, BareBrowser& bare)
{
    bare.browser->connectToServer();
    fixture.dialogs.messages.clear();
}

} // namespace

class TestFtpBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { WindowFixture::initApplication(); }

    // Folders first in server order, then files in server order; "." and
    // ".." give no row but count in the progress.
    void listingOrderAndProgress()
    {
        WindowFixture fixture;
        ScriptedFtpServer server;
        server.setListing("-rw-r--r-- 1 u g 10 Jan 01 12:00 b.txt\r\n"
                          "drwxr-xr-x 2 u g 4096 Jan 01 12:00 sub1\r\n"
                          "-rw-r--r-- 1 u g 0 Jan 01 12:00 a.txt\r\n"
                          "drwxr-xr-x 2 u g 4096 Jan 01 12:00 sub2\r\n"
                          "drwxr-xr-x 2 u g 4096 Jan 01 12:00 .\r\n"
                          "drwxr-xr-x 2 u g 4096 Jan 01 12:00 ..\r\n");
        QVERIFY(server.start());
        BareBrowser bare(fixture);
        bare.server = QStringLiteral("127.0.0.1:") + QString::number(server.port());
        qint64 valueAtEnd = -1;
        qint64 maximumAtEnd = -1;
        bool first = true;
        connect(bare.browser->client(), &clsFtpClient::EndEnumFile, &bare.window, [&] {
            if (first) {
                valueAtEnd = bare.progress->value64();
                maximumAtEnd = bare.progress->maximum64();
                first = false;
            }
        });
        QVERIFY(bare.browser->connectToServer());
        QCOMPARE(WindowFixture::rowTexts(*bare.list), (QStringList{"sub1", "sub2", "b.txt", "a.txt"}));
        QCOMPARE(valueAtEnd, 6);
        QCOMPARE(maximumAtEnd, 6);
        QCOMPARE(bare.progress->value64(), 0);
        const RemoteListRow* sub1 = bare.list->row(0);
        const RemoteListRow* a = bare.list->row(3);
        QCOMPARE(RemoteListView::tag(sub1), QStringLiteral("DIR"));
        QCOMPARE(RemoteListView::iconKey(sub1), QStringLiteral("CLOSE"));
        QCOMPARE(bare.list->subItem(sub1, QStringLiteral("SIZE")), QString());
        QCOMPARE(RemoteListView::tag(a), QStringLiteral("FILE"));
        QCOMPARE(RemoteListView::iconKey(a), QStringLiteral("FILE"));
        QCOMPARE(bare.list->subItem(a, QStringLiteral("SIZE")), QStringLiteral("0"));
        QCOMPARE(bare.list->subItem(a, QStringLiteral("ATTR")).size(), 4);
        QVERIFY(bare.list->subItem(a, QStringLiteral("ACCESS")).contains(QStringLiteral("/01/01")));
        // The first row, a folder, led to public_html, which this server does not have.
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("パスが不正です。"));
        QVERIFY(server.received("CWD"));
    }

    void doubleClickOnAFolderOpensPublicHtml()
    {
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("images"));
        fixture.addFile(QStringLiteral("x.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare); // tried /public_html once already
        fixture.addFile(QStringLiteral("public_html/site.html"));
        WindowFixture::selectRows(*bare.list, {QStringLiteral("x.txt")});
        bare.list->setCurrentItem(WindowFixture::rowNamed(*bare.list, QStringLiteral("x.txt")));
        bare.browser->openSelectedRow();
        QCOMPARE(bare.path->Tag, QStringLiteral("/"));
        bare.browser->changeDirectory(QStringLiteral("/"));
        QCOMPARE(WindowFixture::rowTexts(*bare.list).first(), QStringLiteral("images"));
        bare.browser->openSelectedRow();
        QCOMPARE(bare.path->Tag, QStringLiteral("/public_html"));
        QCOMPARE(WindowFixture::rowTexts(*bare.list), QStringList{"site.html"});
    }

    // A LIST server shows links as links: the row is a file row until a
    // double-click finds that the server can change into it.
    void linkRowOpensLikeAFolderOnlyWhenItLeadsToOne_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("pathAfter");
        QTest::newRow("link to a folder") << "www"
                                          << "/public_html";
        QTest::newRow("link to a file") << "note.txt"
                                        << "/";
    }

    void linkRowOpensLikeAFolderOnlyWhenItLeadsToOne()
    {
        QFETCH(QString, link);
        QFETCH(QString, pathAfter);
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("public_html/site.html"));
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY(QFile::link(QStringLiteral("public_html"), fixture.homePath(QStringLiteral("www"))));
        QVERIFY(QFile::link(QStringLiteral("a.txt"), fixture.homePath(QStringLiteral("note.txt"))));
        FtpServerOptions options;
        options.listOnly = true;
        QVERIFY2(fixture.startServer(options), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare);
        bare.browser->changeDirectory(QStringLiteral("/"));
        RemoteListRow* row = WindowFixture::rowNamed(*bare.list, link);
        QVERIFY(row);
        QCOMPARE(RemoteListView::tag(row), QStringLiteral("FILE"));

        bare.list->selectOnly(row);
        bare.browser->openSelectedRow();
        QCOMPARE(bare.path->Tag, pathAfter);
        QVERIFY(fixture.dialogs.messages.isEmpty());
        if (pathAfter == QLatin1String("/"))
            QCOMPARE(RemoteListView::tag(WindowFixture::rowNamed(*bare.list, link)), QStringLiteral("FILE"));
        else
            QCOMPARE(WindowFixture::rowTexts(*bare.list), QStringList{"site.html"});
    }

    void newFolderRefused()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare);
        bare.browser->client()->DisConnect();
        const QStringList before = WindowFixture::rowTexts(*bare.list);
        bare.browser->createFolder();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("ディレクトリを作成できません。"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(WindowFixture::rowTexts(*bare.list), before);
    }

    void droppingWithoutFilesDoesNothing()
    {
        WindowFixture fixture;
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare);
        QMimeData text;
        text.setText(QStringLiteral("just text"));
        bare.browser->transfers().uploadDropped(&text);
        QVERIFY(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("STOR")).isEmpty());
        QVERIFY(bare.window.isEnabled());
    }

    void downloadMixedSelection_data()
    {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void downloadMixedSelection()
    {
        QFETCH(bool, goOn);
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("sub"));
        fixture.addFile(QStringLiteral("a.txt"), QByteArray(100, 'a'));
        fixture.addFile(QStringLiteral("b.txt"), QByteArray(200, 'b'));
        fixture.addFile(QStringLiteral("検証.dat"), QByteArray(300, 'c'));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare);
        QTemporaryDir target;
        QFile stale(target.filePath(QStringLiteral("a.txt")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("old content, longer than nothing");
        stale.close();

        WindowFixture::selectRows(
            *bare.list, {QStringLiteral("sub"), QStringLiteral("a.txt"), QStringLiteral("検証.dat")});
        fixture.dialogs.answerMessage(goOn ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        fixture.dialogs.answerFolder(target.path());
        qint64 maximum = 0;
        connect(bare.browser->client(), &clsFtpClient::Receive, &bare.window, [&] {
            if (bare.browser->transfers().receiving())
                maximum = bare.progress->maximum64();
        });
        bare.browser->transfers().downloadSelectedFiles();

        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text,
                 QStringLiteral("ディレクトリは取得できません。\r\nファイルの取得を継続しますか？"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("問いかけ"));
        QCOMPARE(fixture.dialogs.messages[0].buttons, MessageBox::Buttons::YesNo);
        if (!goOn) {
            QVERIFY(fixture.dialogs.folders.isEmpty());
            QVERIFY(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("RETR")).isEmpty());
            return;
        }
        QCOMPARE(fixture.dialogs.folders.size(), 1);
        QCOMPARE(fixture.dialogs.folders[0].title, QStringLiteral("取得先ディレクトリを選択してください。"));
        QStringList expected = WindowFixture::rowTexts(*bare.list); // in list order
        expected.removeIf([](const QString& name) { return name == "sub" || name == "b.txt"; });
        QCOMPARE(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("RETR")), expected);
        QCOMPARE(QFile(target.filePath(QStringLiteral("a.txt"))).size(), 100);
        QCOMPARE(QFile(target.filePath(QStringLiteral("検証.dat"))).size(), 300);
        QVERIFY(!QFile::exists(target.filePath(QStringLiteral("b.txt"))));
        QCOMPARE(maximum, 400);
        QCOMPARE(bare.progress->value64(), 0);
        QVERIFY(!bare.browser->transfers().receiving());
        QVERIFY(!WindowFixture::busyWindowShown());
    }

    void downloadCancelledFolderFetchesNothing()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        BareBrowser bare(fixture);
        connectAtHome(fixture, bare);
        WindowFixture::selectRows(*bare.list, {QStringLiteral("a.txt")});
        bare.browser->transfers().downloadSelectedFiles();
        QCOMPARE(fixture.dialogs.folders.size(), 1);
        QVERIFY(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("RETR")).isEmpty());
    }

    // A name that would be written outside the chosen folder is not fetched.
    void downloadSkipsNamesLeavingTheFolder()
    {
        WindowFixture fixture;
        ScriptedFtpServer server;
        server.setListing("-rw-r--r-- 1 u g 3 Jan 01 12:00 ok.txt\r\n");
        server.setFile("ok.txt", "abc");
        QVERIFY(server.start());
        BareBrowser bare(fixture);
        bare.server = QStringLiteral("127.0.0.1:") + QString::number(server.port());
        QVERIFY(bare.browser->connectToServer());
        RemoteListRow* evil =
            bare.list->appendRow(QStringLiteral("../evil.txt"), QIcon(), QStringLiteral("FILE"));
        RemoteListView::setTag(evil, QStringLiteral("FILE"));
        WindowFixture::selectRows(*bare.list, {QStringLiteral("ok.txt"), QStringLiteral("../evil.txt")});
        QTemporaryDir parent;
        const QString target = parent.filePath(QStringLiteral("in"));
        QDir().mkpath(target);
        fixture.dialogs.answerFolder(target);
        bare.browser->transfers().downloadSelectedFiles();
        QVERIFY(!QFile::exists(parent.filePath(QStringLiteral("evil.txt"))));
        QCOMPARE(QFile(target + QStringLiteral("/ok.txt")).size(), 3);
    }
};

QTEST_MAIN(TestFtpBrowser)
#include "test_ftp_browser.moc"
