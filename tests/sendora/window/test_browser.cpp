// The browser's controls in the main window, against real servers: a typed
// path, the Up button, the popup menu and its commands, renaming in place,
// dropping files; the folder picker and the busy window.
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "sendora/window/clsBrowsFolder.h"
#include "tests/sendora/window/WindowFixture.h"

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

} // namespace

class TestSendoraBrowser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { WindowFixture::initApplication(); }

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
        const int cwdCount = WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("CWD")).size();
        form->cmdUp_Click();
        QCOMPARE(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("CWD")).size(), cwdCount);
        QVERIFY(fixture.dialogs.messages.isEmpty());
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
        QVERIFY(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("RNFR")).isEmpty());

        editTo(QStringLiteral("no/such/dir/b.txt"));
        QCOMPARE(row->text(0), QStringLiteral("a.txt"));
        QCOMPARE(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("RNFR")).size(), 1);
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

        QCOMPARE(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("STOR")),
                 (QStringList{"x.txt", "y データ.txt", "link.txt"}));
        QVERIFY(WindowFixture::commandsOf(fixture.server.log(), QStringLiteral("TYPE"))
                    .contains(QStringLiteral("A")));
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
#include "test_browser.moc"
