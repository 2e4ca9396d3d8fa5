// The FTP browser behind the panel: listing, moving between directories, the
// popup commands, dropping files and downloading, against real servers.
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "sendora/window/clsBrowsFolder.h"
#include "tests/sendora/window/WindowFixture.h"
#include "tests/support/ftp/ScriptedFtpServer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <sys/stat.h>

namespace {

// Connected to the server, showing its home folder (no public_html there).
std::unique_ptr<Form1> connectedAtHome(WindowFixture& fixture)
{
    auto form = fixture.openWindow();
    form->cmdConnect_Click();
    // A directory as first row sent the connect on to public_html; what that said is not the test's business.
    fixture.dialogs.messages.clear();
    return form;
}

void dropUrls(Form1& form, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QWidget* target = form.lvwList->viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QCOMPARE(move.dropAction(), Qt::CopyAction);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QStringList commandsOf(const QString& log, const QString& verb)
{
    QStringList found;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("<- ") + verb + QLatin1Char(' ')))
            found.append(line.mid(4 + verb.size()).trimmed());
    }
    return found;
}

} // namespace

class TestSendoraBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { WindowFixture::initApplication(); }

    // Directories first in server order, then files in server order; "." and
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
        auto form = fixture.openWindow();
        form->txtServer->setText(QStringLiteral("127.0.0.1:") + QString::number(server.port()));
        qint64 valueAtEnd = -1;
        qint64 maximumAtEnd = -1;
        bool first = true;
        connect(form->browser().client(), &clsFtpClient::EndEnumFile, form.get(), [&] {
            if (first) {
                valueAtEnd = form->pbrState->value64();
                maximumAtEnd = form->pbrState->maximum64();
                first = false;
            }
        });
        form->cmdConnect_Click();
        QCOMPARE(WindowFixture::rowTexts(*form), (QStringList{"sub1", "sub2", "b.txt", "a.txt"}));
        QCOMPARE(valueAtEnd, 6);
        QCOMPARE(maximumAtEnd, 6);
        QCOMPARE(form->pbrState->value64(), 0);
        const RemoteListRow* sub1 = form->lvwList->row(0);
        const RemoteListRow* a = form->lvwList->row(3);
        QCOMPARE(RemoteListView::tag(sub1), QStringLiteral("DIR"));
        QCOMPARE(RemoteListView::iconKey(sub1), QStringLiteral("CLOSE"));
        QCOMPARE(form->lvwList->subItem(sub1, QStringLiteral("SIZE")), QString());
        QCOMPARE(RemoteListView::tag(a), QStringLiteral("FILE"));
        QCOMPARE(RemoteListView::iconKey(a), QStringLiteral("FILE"));
        QCOMPARE(form->lvwList->subItem(a, QStringLiteral("SIZE")), QStringLiteral("0"));
        QCOMPARE(form->lvwList->subItem(a, QStringLiteral("ATTR")).size(), 4);
        QVERIFY(form->lvwList->subItem(a, QStringLiteral("ACCESS")).contains(QStringLiteral("/01/01")));
        // The first row, a directory, led to public_html, which this server does not have.
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("パスが不正です。"));
        QVERIFY(server.received("CWD"));
    }

    void typedPathReportedDifferently()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("pub/p.txt"));
        fixture.addFile(QStringLiteral("top.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/"));
        form->txtPath->setText(QStringLiteral("/pub/"));
        QTest::keyClick(form->txtPath, Qt::Key_Return);
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("パスが不正です。"));
        QCOMPARE(fixture.dialogs.messages[0].icon, MessageBox::Icon::Exclamation);
        QCOMPARE(form->txtPath->text(), QStringLiteral("/pub"));
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/pub"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"p.txt"});
        QVERIFY(form->isEnabled());

        // A directory that does not exist: the server stays where it was.
        form->txtPath->setText(QStringLiteral("/missing"));
        QTest::keyClick(form->txtPath, Qt::Key_Return);
        QCOMPARE(fixture.dialogs.messages.size(), 2);
        QCOMPARE(form->txtPath->text(), QStringLiteral("/pub"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"p.txt"});
    }

    void upMovesToTheParent()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a/b/deep.txt"));
        fixture.addFile(QStringLiteral("top.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        form->ChangeRemoteDir(QStringLiteral("/a/b"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"deep.txt"});
        // What is typed but not entered does not count.
        form->txtPath->setText(QStringLiteral("/elsewhere"));
        QTest::mouseClick(form->cmdUp, Qt::LeftButton);
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/a"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"b"});
        form->cmdUp_Click();
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/"));
        const int cwdCount = commandsOf(fixture.server.log(), QStringLiteral("CWD")).size();
        form->cmdUp_Click();
        QCOMPARE(commandsOf(fixture.server.log(), QStringLiteral("CWD")).size(), cwdCount);
        QVERIFY(fixture.dialogs.messages.isEmpty());
    }

    void doubleClickOnADirectoryOpensPublicHtml()
    {
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("images"));
        fixture.addFile(QStringLiteral("x.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture); // tried /public_html once already
        fixture.dialogs.messages.clear();
        fixture.addFile(QStringLiteral("public_html/site.html"));
        WindowFixture::selectRows(*form, {QStringLiteral("x.txt")});
        form->lvwList->setCurrentItem(WindowFixture::rowNamed(*form, QStringLiteral("x.txt")));
        form->lvwList_DblClick();
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/"));
        form->ChangeRemoteDir(QStringLiteral("/"));
        QCOMPARE(WindowFixture::rowTexts(*form).first(), QStringLiteral("images"));
        form->lvwList_DblClick();
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/public_html"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"site.html"});
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
        auto form = connectedAtHome(fixture);
        form->ChangeRemoteDir(QStringLiteral("/"));
        RemoteListRow* row = WindowFixture::rowNamed(*form, link);
        QVERIFY(row);
        QCOMPARE(RemoteListView::tag(row), QStringLiteral("FILE"));

        form->lvwList->selectOnly(row);
        form->lvwList_DblClick();
        QCOMPARE(form->txtPath->Tag, pathAfter);
        QVERIFY(fixture.dialogs.messages.isEmpty());
        if (pathAfter == QLatin1String("/"))
            QCOMPARE(RemoteListView::tag(WindowFixture::rowNamed(*form, link)), QStringLiteral("FILE"));
        else
            QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"site.html"});
    }

    void popupMenuFollowsTheSelection()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        {
            auto offline = fixture.openWindow();
            offline->lvwList_MouseUp(Qt::RightButton, QPoint(5, 5));
            QVERIFY(!offline->mnuGet->isEnabled() && !offline->mnuNewDir->isEnabled());
            QVERIFY(!offline->mnuRename->isEnabled() && !offline->mnuDel->isEnabled());
            offline->mnuPopUp->close();
        }
        auto form = connectedAtHome(fixture);
        form->lvwList->clearSelection();
        form->lvwList_MouseUp(Qt::LeftButton, QPoint(5, 5));
        QVERIFY(!form->mnuPopUp->isVisible());
        form->lvwList_MouseUp(Qt::RightButton, QPoint(5, 5));
        QVERIFY(form->mnuPopUp->isVisible());
        QVERIFY(form->mnuNewDir->isEnabled());
        QVERIFY(!form->mnuGet->isEnabled() && !form->mnuRename->isEnabled() && !form->mnuDel->isEnabled());
        form->mnuPopUp->close();
        WindowFixture::selectRows(*form, {QStringLiteral("a.txt")});
        form->lvwList_MouseUp(Qt::RightButton, QPoint(5, 5));
        QVERIFY(form->mnuGet->isEnabled() && form->mnuNewDir->isEnabled());
        QVERIFY(form->mnuRename->isEnabled() && form->mnuDel->isEnabled());
        form->mnuPopUp->close();
    }

    void newDirectoryNaming()
    {
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("新しいフォルダ"));
        fixture.addFolder(QStringLiteral("新しいフォルダ(1)"));
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        fixture.dialogs.messages.clear();
        form->mnuNewDir->trigger();
        QVERIFY(fixture.dialogs.messages.isEmpty());
        QVERIFY(QFileInfo(fixture.homePath(QStringLiteral("新しいフォルダ(2)"))).isDir());
        const QStringList rows = WindowFixture::rowTexts(*form);
        QCOMPARE(rows.last(), QStringLiteral("新しいフォルダ(2)"));
        const RemoteListRow* added = form->lvwList->row(form->lvwList->rowCount() - 1);
        QCOMPARE(RemoteListView::tag(added), QStringLiteral("DIR"));
        QCOMPARE(form->lvwList->subItem(added, QStringLiteral("SIZE")), QString());
        QCOMPARE(form->lvwList->subItem(added, QStringLiteral("ATTR")).size(), 4);
        QVERIFY(!form->statusText().isEmpty());
    }

    void newDirectoryRefused()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        fixture.dialogs.messages.clear();
        form->browser().client()->DisConnect();
        const QStringList before = WindowFixture::rowTexts(*form);
        form->mnuNewDir_Click();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("ディレクトリを作成できません。"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(WindowFixture::rowTexts(*form), before);
    }

    void renameInPlace()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"), "A");
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        RemoteListRow* row = WindowFixture::rowNamed(*form, QStringLiteral("a.txt"));
        form->lvwList->selectOnly(row);

        auto editTo = [&](const QString& text) {
            form->mnuRename->trigger();
            auto* editor = form->lvwList->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            editor->setText(text);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!form->lvwList->editingItem());
        };

        editTo(QString());
        QCOMPARE(row->text(0), QStringLiteral("a.txt"));
        QVERIFY(commandsOf(fixture.server.log(), QStringLiteral("RNFR")).isEmpty());

        editTo(QStringLiteral("no/such/dir/b.txt"));
        QCOMPARE(row->text(0), QStringLiteral("a.txt"));
        QCOMPARE(commandsOf(fixture.server.log(), QStringLiteral("RNFR")).size(), 1);
        QVERIFY(QFile::exists(fixture.homePath(QStringLiteral("a.txt"))));
        QVERIFY(form->statusText().startsWith(QLatin1Char('5')));

        editTo(QStringLiteral("名前.txt"));
        QCOMPARE(row->text(0), QStringLiteral("名前.txt"));
        QCOMPARE(fixture.remoteFile(QStringLiteral("名前.txt")), QByteArray("A"));
        QVERIFY(!QFile::exists(fixture.homePath(QStringLiteral("a.txt"))));
        QCOMPARE(RemoteListView::tag(row), QStringLiteral("FILE"));
        QVERIFY(fixture.dialogs.messages.isEmpty());
    }

    void droppingFilesAndAFolder()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("old.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        QTemporaryDir local;
        const QString x = local.filePath(QStringLiteral("x.txt"));
        const QString sub = local.filePath(QStringLiteral("Sub"));
        const QString y = local.filePath(QStringLiteral("y データ.txt"));
        const QString pipe = local.filePath(QStringLiteral("pipe"));
        const QString link = local.filePath(QStringLiteral("link.txt"));
        QDir().mkpath(sub);
        QFile(sub + QStringLiteral("/inner.txt")).open(QIODevice::WriteOnly);
        for (const auto& [path, content] :
             {std::pair{x, QByteArray("xxxx")}, std::pair{y, QByteArray(5000, 'y')}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(QFile::link(x, link));
        form->Option2->setChecked(true);

        qint64 maximumDuringUpload = 0;
        bool busyWindowShown = false;
        connect(form->browser().client(), &clsFtpClient::Send, form.get(), [&] {
            if (form->browser().transfers().sending()) {
                maximumDuringUpload = form->pbrState->maximum64();
                busyWindowShown = WindowFixture::busyWindowShown();
            }
        });
        dropUrls(*form, {QUrl::fromLocalFile(x), QUrl::fromLocalFile(sub), QUrl::fromLocalFile(pipe),
                         QUrl::fromLocalFile(y), QUrl::fromLocalFile(link)});

        QCOMPARE(commandsOf(fixture.server.log(), QStringLiteral("STOR")),
                 (QStringList{"x.txt", "y データ.txt", "link.txt"}));
        QVERIFY(commandsOf(fixture.server.log(), QStringLiteral("TYPE")).contains(QStringLiteral("A")));
        QCOMPARE(fixture.remoteFile(QStringLiteral("x.txt")), QByteArray("xxxx"));
        QCOMPARE(fixture.remoteFile(QStringLiteral("y データ.txt")), QByteArray(5000, 'y'));
        QVERIFY(!QFileInfo::exists(fixture.homePath(QStringLiteral("Sub"))));
        QVERIFY(!QFileInfo::exists(fixture.homePath(QStringLiteral("pipe"))));
        QCOMPARE(maximumDuringUpload, 4 + 5000 + 4);
        QVERIFY(busyWindowShown);
        QVERIFY(!WindowFixture::busyWindowShown());
        // Listed again, enabled again, progress back at 0.
        QCOMPARE(WindowFixture::rowTexts(*form).size(), 4);
        QVERIFY(WindowFixture::rowNamed(*form, QStringLiteral("y データ.txt")));
        QVERIFY(form->isEnabled() && !form->browser().isBusy());
        QCOMPARE(form->pbrState->value64(), 0);
        QVERIFY(!form->browser().transfers().sending());
    }

    void droppingWithoutFilesDoesNothing()
    {
        WindowFixture fixture;
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        QMimeData text;
        text.setText(QStringLiteral("just text"));
        form->lvwList_OLEDragDrop(&text);
        QVERIFY(commandsOf(fixture.server.log(), QStringLiteral("STOR")).isEmpty());
        QVERIFY(form->isEnabled());
    }

    void downloadOnlyDirectoriesSelected()
    {
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("sub"));
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        fixture.dialogs.messages.clear();
        WindowFixture::selectRows(*form, {QStringLiteral("sub")});
        form->mnuGet->trigger();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("ディレクトリは取得できません。"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(fixture.dialogs.messages[0].icon, MessageBox::Icon::Exclamation);
        QVERIFY(fixture.dialogs.folders.isEmpty());
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
        auto form = connectedAtHome(fixture);
        fixture.dialogs.messages.clear();
        QTemporaryDir target;
        QFile stale(target.filePath(QStringLiteral("a.txt")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("old content, longer than nothing");
        stale.close();

        WindowFixture::selectRows(
            *form, {QStringLiteral("sub"), QStringLiteral("a.txt"), QStringLiteral("検証.dat")});
        fixture.dialogs.answerMessage(goOn ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        fixture.dialogs.answerFolder(target.path());
        qint64 maximum = 0;
        connect(form->browser().client(), &clsFtpClient::Receive, form.get(), [&] {
            if (form->browser().transfers().receiving())
                maximum = form->pbrState->maximum64();
        });
        form->mnuGet_Click();

        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text,
                 QStringLiteral("ディレクトリは取得できません。\r\nファイルの取得を継続しますか？"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("問いかけ"));
        QCOMPARE(fixture.dialogs.messages[0].buttons, MessageBox::Buttons::YesNo);
        if (!goOn) {
            QVERIFY(fixture.dialogs.folders.isEmpty());
            QVERIFY(commandsOf(fixture.server.log(), QStringLiteral("RETR")).isEmpty());
            return;
        }
        QCOMPARE(fixture.dialogs.folders.size(), 1);
        QCOMPARE(fixture.dialogs.folders[0].title, QStringLiteral("取得先ディレクトリを選択してください。"));
        QStringList expected = WindowFixture::rowTexts(*form); // in list order
        expected.removeIf([](const QString& name) { return name == "sub" || name == "b.txt"; });
        QCOMPARE(commandsOf(fixture.server.log(), QStringLiteral("RETR")), expected);
        QCOMPARE(QFile(target.filePath(QStringLiteral("a.txt"))).size(), 100);
        QCOMPARE(QFile(target.filePath(QStringLiteral("検証.dat"))).size(), 300);
        QVERIFY(!QFile::exists(target.filePath(QStringLiteral("b.txt"))));
        QCOMPARE(maximum, 400);
        QCOMPARE(form->pbrState->value64(), 0);
        QVERIFY(!form->browser().transfers().receiving());
        QVERIFY(!WindowFixture::busyWindowShown());
    }

    void downloadCancelledFolderFetchesNothing()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = connectedAtHome(fixture);
        WindowFixture::selectRows(*form, {QStringLiteral("a.txt")});
        form->mnuGet_Click();
        QCOMPARE(fixture.dialogs.folders.size(), 1);
        QVERIFY(commandsOf(fixture.server.log(), QStringLiteral("RETR")).isEmpty());
    }

    // A name that would be written outside the chosen folder is not fetched.
    void downloadSkipsNamesLeavingTheFolder()
    {
        WindowFixture fixture;
        ScriptedFtpServer server;
        server.setListing("-rw-r--r-- 1 u g 3 Jan 01 12:00 ok.txt\r\n");
        server.setFile("ok.txt", "abc");
        QVERIFY(server.start());
        auto form = fixture.openWindow();
        form->txtServer->setText(QStringLiteral("127.0.0.1:") + QString::number(server.port()));
        form->cmdConnect_Click();
        RemoteListRow* evil =
            form->lvwList->appendRow(QStringLiteral("../evil.txt"), QIcon(), QStringLiteral("FILE"));
        RemoteListView::setTag(evil, QStringLiteral("FILE"));
        WindowFixture::selectRows(*form, {QStringLiteral("ok.txt"), QStringLiteral("../evil.txt")});
        QTemporaryDir parent;
        const QString target = parent.filePath(QStringLiteral("in"));
        QDir().mkpath(target);
        fixture.dialogs.answerFolder(target);
        form->mnuGet_Click();
        QVERIFY(!QFile::exists(parent.filePath(QStringLiteral("evil.txt"))));
        QCOMPARE(QFile(target + QStringLiteral("/ok.txt")).size(), 3);
    }

    void folderPicker()
    {
        WindowFixture fixture;
        clsBrowsFolder picker;
        picker.setPDialogTitle(QStringLiteral("選択"));
        picker.setPUseDir(true);
        picker.setPUseInitDir(QStringLiteral("/srv/data"));
        fixture.dialogs.answerFolder(QStringLiteral("/srv/data/月報"));
        QVERIFY(picker.mShowDialog());
        QCOMPARE(fixture.dialogs.folders[0].rootFolder, QStringLiteral("/srv/data"));
        QCOMPARE(fixture.dialogs.folders[0].title, QStringLiteral("選択"));
        QCOMPARE(picker.pPathName(), QStringLiteral("/srv/data/月報"));
        QCOMPARE(picker.pDisplayName(), QStringLiteral("月報"));
        // A cancelled dialog clears what an earlier one chose.
        QVERIFY(!picker.mShowDialog());
        QVERIFY(picker.pPathName().isEmpty() && picker.pDisplayName().isEmpty());
        picker.setPUseDir(false);
        picker.setPInitDir(0);
        picker.mShowDialog();
        QCOMPARE(fixture.dialogs.folders[2].rootFolder, QString());
    }

    void busyWindowIsCentredOverTheMainWindow()
    {
        QCOMPARE(Form2::centredOrigin(1000, 8000, 3200), 3400);
        WindowFixture fixture;
        Form1 form;
        Form2 busy;
        busy.mShow(Form2::kReceiving, &form);
        QCOMPARE(busy.windowTitle(), QStringLiteral("処理中"));
        QCOMPARE(busy.Label1->text(), QStringLiteral("受信中です。\nしばらくお待ち下さい..."));
        QVERIFY(busy.isVisible());
        QVERIFY(busy.windowFlags() & Qt::WindowStaysOnTopHint);
        busy.mShow(7, &form);
        QCOMPARE(busy.Label1->text(), QStringLiteral("受信中です。\nしばらくお待ち下さい..."));
        busy.mShow(Form2::kSending, &form);
        QCOMPARE(busy.Label1->text(), QStringLiteral("送信中です。\nしばらくお待ち下さい..."));
        // The main window's busy state does not grey the text out.
        form.SetBusy(true);
        QVERIFY(busy.Label1->isEnabled());
        form.SetBusy(false);
    }
};

QTEST_MAIN(TestSendoraBrowser)
#include "test_sendora_browser.moc"
