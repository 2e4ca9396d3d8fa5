// The main window as the user meets it: start-up, the administrator code,
// connecting to a real server, a refused connection and the settings.
#include "platform/ui/Twips.h"
#include "platform/text/LegacyText.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/SettingsStore.h"
#include "sendora/session/CertificatePins.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "tests/sendora/window/WindowFixture.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/support/ftp/ScriptedFtpServer.h"
#include "tests/support/ftp/TestCertificates.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

QString stored(const QString& key)
{
    return SettingsStore::read(QStringLiteral("RedudUrazE"), QStringLiteral("Settings"), key,
                               QStringLiteral("<none>"));
}

void forgetSettings()
{
    QSettings(QStringLiteral("RedudUrazE"), QStringLiteral("RedudUrazE")).remove(QStringLiteral("Settings"));
}

} // namespace

class TestSendoraWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { WindowFixture::initApplication(); }

    // Suites run side by side and each points the stored server at its own
    // test server: the settings of one run must be its own.
    void settingsBelongToThisRun()
    {
        const QString file = QSettings(QStringLiteral("RedudUrazE"), QStringLiteral("RedudUrazE")).fileName();
        QVERIFY2(file.startsWith(TestEnvironment::folder() + QLatin1Char('/')), qPrintable(file));
    }

    void startUpState()
    {
        WindowFixture fixture;
        forgetSettings();
        Form1 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("管理機能"));
        QCOMPARE(form.size(), QSize(Twips::toPixels(7965), Twips::toPixels(3705)));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.Check3[0]->text(), QStringLiteral("検証データ送信"));
        QCOMPARE(form.Check3[1]->text(), QStringLiteral("パスワード変更"));
        QCOMPARE(form.Option3->text(), QStringLiteral("送　信"));
        QCOMPARE(form.Option4->text(), QStringLiteral("終　了"));
        QCOMPARE(form.cmdConnect->text(), QStringLiteral("接続(&C)"));
        QCOMPARE(form.Command1->text(), QStringLiteral("検証ﾃﾞｰﾀ"));
        QVERIFY(!form.Check3[0]->isChecked() && !form.Check3[1]->isChecked());
        QVERIFY(form.Option1->isChecked());
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Check3_1")), form.Check3[1]);
        QCOMPARE(form.Check3[1]->property("index").toInt(), 1);

        QCOMPARE(form.DTPicker1[0]->date(), QDate(2009, 1, 19));
        QCOMPARE(form.DTPicker1[1]->date(), QDate(2009, 2, 18));
        QCOMPARE(form.Label6->text(), QStringLiteral("31"));

        QCOMPARE(form.txtServer->text(), QStringLiteral(SENDORA_DEFAULT_FTP_HOST));
        QCOMPARE(form.txtUser->text(), QStringLiteral("kvbtq518"));
        QCOMPARE(form.txtPass->text(), QStringLiteral("hdn407"));
        QCOMPARE(form.txtPass->echoMode(), QLineEdit::Password);
        QCOMPARE(form.Label5->text(), QStringLiteral("10"));
        QCOMPARE(form.txtPath->text(), QString());
        QVERIFY(form.Text1[0]->text().isEmpty() && form.Text1[1]->text().isEmpty());

        // The settings panel and the browser are out of sight.
        QCOMPARE(form.Frame2->x(), Twips::toPixels(9480));
        QVERIFY(form.lvwList->x() > form.width());
        QVERIFY(form.cmdConnect->x() > form.width());
        QCOMPARE(form.lvwList->columnKeys(), (QStringList{"NAME", "SIZE", "ACCESS", "ATTR"}));
        QCOMPARE(form.lvwList->headerItem()->text(1), QStringLiteral("サイズ"));
        QCOMPARE(form.imlImage.keys(), (QStringList{"FILE", "CLOSE"}));
        QVERIFY(!form.imlImage.icon(QStringLiteral("CLOSE")).isNull());
        QVERIFY(form.browser().client() && form.browser().client()->CurrentDir().isEmpty());
        QVERIFY(!ProgramExit::endRequested());
    }

    void passDataAtStartUp_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("one line") << "管理ABC\r\n"
                                  << "管理ABC"
                                  << "";
        QTest::newRow("two lines") << "管理ABC\r\n検証XYZ\r\n"
                                   << "管理ABC"
                                   << "検証XYZ";
        QTest::newRow("three lines, LF") << "one\ntwo\nthree\n"
                                         << "one"
                                         << "two";
    }
    void passDataAtStartUp()
    {
        QFETCH(QString, content);
        QFETCH(QString, first);
        QFETCH(QString, second);
        WindowFixture fixture;
        QFile file(fixture.programFolder.filePath(QStringLiteral("Mirvel3.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(LegacyText::encode(content).value());
        file.close();
        Form1 form;
        QCOMPARE(form.Text1[0]->text(), first);
        QCOMPARE(form.Text1[1]->text(), second);
    }

    void secondInstanceEndsSilently()
    {
        WindowFixture fixture;
        Form1 first;
        QVERIFY(!ProgramExit::endRequested());
        Form1 second;
        QVERIFY(ProgramExit::endRequested());
        QVERIFY(!second.browser().client());
        QVERIFY(fixture.dialogs.messages.isEmpty());
        // The first one goes on working.
        QVERIFY(first.browser().client());
    }

    void administratorCode_data()
    {
        QTest::addColumn<int>("label");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<bool>("shown");
        QTest::newRow("code with blanks") << 1 << std::optional<QString>(QStringLiteral("  2759 ")) << true;
        QTest::newRow("code on 管理Pass") << 0 << std::optional<QString>(QStringLiteral("2759")) << true;
        QTest::newRow("wrong code") << 1 << std::optional<QString>(QStringLiteral("2758")) << false;
        QTest::newRow("cancel") << 0 << std::optional<QString>() << false;
    }
    void administratorCode()
    {
        QFETCH(int, label);
        QFETCH(std::optional<QString>, answer);
        QFETCH(bool, shown);
        WindowFixture fixture;
        Form1 form;
        fixture.dialogs.answerInput(answer);
        QTest::mouseDClick(form.Label4[label], Qt::LeftButton);
        QCOMPARE(fixture.dialogs.inputs.size(), 1);
        QCOMPARE(fixture.dialogs.inputs[0].prompt, QStringLiteral("パスワードを入力してください。"));
        QCOMPARE(fixture.dialogs.inputs[0].title, QStringLiteral("管理機能"));
        QCOMPARE(form.Frame2->x(), Twips::toPixels(shown ? 1440 : 9480));
        QVERIFY(fixture.dialogs.messages.isEmpty());
        if (shown) {
            QTest::mouseDClick(form.Frame2, Qt::LeftButton, {}, QPoint(4, 4));
            QCOMPARE(form.Frame2->x(), Twips::toPixels(9440));
        }
    }

    // Keys typed before a first click must not reach the hidden settings panel:
    // its boxes take the focus only while the administrator code shows it.
    void settingsPanelTakesTheFocusOnlyInView()
    {
        WindowFixture fixture;
        Form1 form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget* first = QApplication::focusWidget();
        QVERIFY(first);
        QVERIFY(form.rect().contains(QRect(first->mapTo(&form, QPoint()), first->size())));
        const QString server = form.txtServer->text();
        for (int i = 0; i < 40; ++i) {
            QVERIFY(!form.Frame2->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(form.txtServer->text(), server);

        fixture.dialogs.answerInput(QStringLiteral("2759"));
        QTest::mouseDClick(form.Label4[0], Qt::LeftButton);
        form.Check3[0]->setFocus();
        QTest::keyClick(form.Check3[0], Qt::Key_Backtab);
        QVERIFY(form.txtPass->hasFocus());
        QTest::mouseDClick(form.Frame2, Qt::LeftButton, {}, QPoint(4, 4));
        QVERIFY(!form.Frame2->isAncestorOf(QApplication::focusWidget()));
    }

    void checkBoxesExcludeEachOther()
    {
        WindowFixture fixture;
        Form1 form;
        QTest::mouseClick(form.Check3[0], Qt::LeftButton);
        QVERIFY(form.Check3[0]->isChecked());
        QTest::mouseClick(form.Check3[1], Qt::LeftButton);
        QVERIFY(form.Check3[1]->isChecked() && !form.Check3[0]->isChecked());
        QTest::mouseClick(form.Check3[1], Qt::LeftButton);
        QVERIFY(!form.Check3[1]->isChecked() && !form.Check3[0]->isChecked());
        QTest::mouseClick(form.Option3, Qt::LeftButton);
        QVERIFY(!form.Option3->isChecked());
    }

    void dayCountFollowsTheCalendarsCloseUp()
    {
        WindowFixture fixture;
        Form1 form;
        form.DTPicker1[0]->setDate(QDate(2009, 2, 1));
        QCOMPARE(form.Label6->text(), QStringLiteral("31")); // typed dates do not count yet
        QWidget* popup = form.DTPicker1[0]->calendarWidget()->window();
        popup->show();
        popup->hide();
        QCOMPARE(form.Label6->text(), QStringLiteral("18"));
        form.DTPicker1[1]->setDate(QDate(2009, 1, 31));
        form.DTPicker1[1]->calendarWidget()->window()->show();
        form.DTPicker1[1]->calendarWidget()->window()->hide();
        QCOMPARE(form.Label6->text(), QStringLiteral("0"));
    }

    void showResponseKeepsTheLastCompleteLine()
    {
        WindowFixture fixture;
        Form1 form;
        form.ShowResponse(QStringLiteral("220 Welcome\r\n230 Login successful.\r\n"));
        QCOMPARE(form.statusText(), QStringLiteral("230 Login successful."));
        form.ShowResponse(QString());
        QCOMPARE(form.statusText(), QString());
    }

    void connectListsTheLoginDirectoryAndEntersPublicHtml()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("readme.txt"), "hello");
        fixture.addFile(QStringLiteral("public_html/index.html"), "<html/>");
        fixture.addFolder(QStringLiteral("images"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        QTest::mouseClick(form->cmdConnect, Qt::LeftButton);
        QVERIFY(!ProgramExit::endRequested());
        QCOMPARE(form->browser().client()->CurrentDir(), QStringLiteral("/public_html"));
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/public_html"));
        QCOMPARE(form->txtPath->text(), QStringLiteral("/public_html"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"index.html"});
        QCOMPARE(form->lvwList->subItem(form->lvwList->row(0), QStringLiteral("SIZE")), QStringLiteral("7"));
        QVERIFY(form->lvwList->row(0)->isSelected());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{3} ")).match(form->statusText()).hasMatch());
        QVERIFY(form->isEnabled() && !form->browser().isBusy());
        QVERIFY(fixture.dialogs.messages.isEmpty());
        QVERIFY(fixture.server.log().contains(QStringLiteral("<- CWD /public_html")));

        QTest::mouseClick(form->cmdDisConnect, Qt::LeftButton);
        QVERIFY(form->browser().client()->CurrentDir().isEmpty());
        QCOMPARE(form->lvwList->rowCount(), 0);
        QVERIFY(form->txtPath->text().isEmpty() && form->txtPath->Tag.isEmpty());
    }

    void connectStaysWhenTheFirstRowIsAFile()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("a.txt"));
        fixture.addFile(QStringLiteral("b.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        form->cmdConnect_Click();
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/"));
        QCOMPARE(WindowFixture::rowTexts(*form).size(), 2);
        QVERIFY(fixture.dialogs.messages.isEmpty());
    }

    void connectWithoutPublicHtmlShowsTheRefusal()
    {
        WindowFixture fixture;
        fixture.addFolder(QStringLiteral("other"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        form->cmdConnect_Click();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text, QStringLiteral("パスが不正です。"));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(fixture.dialogs.messagePointers[0], Qt::ArrowCursor); // not the busy hourglass
        QCOMPARE(form->txtPath->Tag, QStringLiteral("/"));
        QCOMPARE(form->txtPath->text(), QStringLiteral("/"));
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"other"});
    }

    void accessKeysWorkFromTheVisibleWindow()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("public_html/sub/x.txt"));
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(form->txtPath->Tag, QStringLiteral("/public_html"));
        QTest::keyClick(form.get(), Qt::Key_U, Qt::AltModifier);
        QTRY_COMPARE(form->txtPath->Tag, QStringLiteral("/"));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(form->txtPath->Tag.isEmpty());
        QVERIFY(form->browser().client()->CurrentDir().isEmpty());
    }

    void connectToAnIpv6Server()
    {
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("v6.txt"));
        FtpServerOptions options;
        options.host = QStringLiteral("::1");
        if (!fixture.startServer(options))
            QSKIP("no IPv6 loopback here");
        auto form = fixture.openWindow();
        form->txtServer->setText(QStringLiteral("[::1]:") + QString::number(fixture.server.port()));
        form->cmdConnect_Click();
        QVERIFY(!ProgramExit::endRequested());
        QCOMPARE(WindowFixture::rowTexts(*form), QStringList{"v6.txt"});
    }

    void connectRefusedEndsTheProgram_data()
    {
        QTest::addColumn<bool>("emptyServer");
        QTest::newRow("wrong password") << false;
        QTest::newRow("empty server") << true;
    }
    void connectRefusedEndsTheProgram()
    {
        QFETCH(bool, emptyServer);
        WindowFixture fixture;
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        const QString storedServer = stored(QStringLiteral("VerificPass1"));
        if (emptyServer)
            form->txtServer->clear();
        else
            form->txtPass->setText(QStringLiteral("wrong"));
        form->cmdConnect_Click();
        QVERIFY(ProgramExit::endRequested());
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].text,
                 QStringLiteral("接続できません。終了します。\r\n再度起動して実行してください "));
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("Sendora"));
        QCOMPARE(fixture.dialogs.messages[0].icon, MessageBox::Icon::None);
        QVERIFY(form->isEnabled() && !form->browser().isBusy());
        // The program has ended: closing what is left saves nothing.
        form->close();
        QCOMPARE(stored(QStringLiteral("VerificPass1")), storedServer);
        QCOMPARE(stored(QStringLiteral("VerificPass3")), fixture.server.password());
    }

    void changedCertificateNeedsTheAdministrator_data()
    {
        QTest::addColumn<MessageBox::Answer>("answer");
        QTest::addColumn<QString>("code"); // "": no input box expected
        QTest::addColumn<bool>("accepted");
        QTest::newRow("anyone else") << MessageBox::Answer::No << QString() << false;
        QTest::newRow("wrong code") << MessageBox::Answer::Yes << QStringLiteral("1234") << false;
        QTest::newRow("administrator") << MessageBox::Answer::Yes << QStringLiteral(" 2759 ") << true;
    }
    void changedCertificateNeedsTheAdministrator()
    {
        QFETCH(MessageBox::Answer, answer);
        QFETCH(QString, code);
        QFETCH(bool, accepted);
        TestCertificates certificates;
        const auto identity = certificates.selfSigned();
        QVERIFY2(identity, qPrintable(certificates.errorString()));
        WindowFixture fixture;
        fixture.addFile(QStringLiteral("public_html/index.html"));
        FtpServerOptions options;
        options.tlsCertificateFile = identity->certificateFile;
        options.tlsKeyFile = identity->keyFile;
        QVERIFY2(fixture.startServer(options), qPrintable(fixture.serverError()));
        const QString host = fixture.server.host();
        const quint16 port = fixture.server.port();
        const QString earlier = QStringLiteral("AB:CD");
        CertificatePins::pin(host, port, earlier);
        auto form = fixture.openWindow();
        fixture.dialogs.answerMessage(answer);
        if (!code.isEmpty())
            fixture.dialogs.answerInput(code);

        form->cmdConnect_Click();
        QCOMPARE(fixture.dialogs.messages.size(), 1);
        QCOMPARE(fixture.dialogs.messages[0].title, QStringLiteral("警告"));
        QCOMPARE(fixture.dialogs.messages[0].buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(fixture.dialogs.inputs.size(), code.isEmpty() ? 0 : 1);
        QCOMPARE(ProgramExit::endRequested(), !accepted);
        QCOMPARE(CertificatePins::pinned(host, port),
                 accepted ? FtpTls::fingerprint(identity->certificate) : earlier);
        QCOMPARE(WindowFixture::rowTexts(*form), accepted ? QStringList{"index.html"} : QStringList{});
        QVERIFY(form->isEnabled() && !form->browser().isBusy());
    }

    void settingsAreSavedOnCloseOnly()
    {
        WindowFixture fixture;
        forgetSettings();
        {
            Form1 form;
            form.txtServer->setText(QStringLiteral("  ftp.changed.example  "));
            form.Option4_Click();
            QVERIFY(ProgramExit::endRequested());
            QVERIFY(!form.browser().client());
            QCOMPARE(stored(QStringLiteral("VerificPass1")), QStringLiteral("<none>"));
        }
        ProgramExit::resetForTest();
        {
            Form1 form;
            form.txtServer->setText(QStringLiteral("  ftp.changed.example  "));
            form.txtUser->setText(QStringLiteral(" user1"));
            QVERIFY(form.close());
            QVERIFY(!form.browser().client());
        }
        QCOMPARE(stored(QStringLiteral("VerificPass1")), QStringLiteral("ftp.changed.example"));
        QCOMPARE(stored(QStringLiteral("VerificPass2")), QStringLiteral("user1"));
        QCOMPARE(stored(QStringLiteral("VerificPass3")), QStringLiteral("hdn407"));
    }

    // 終　了 can be clicked only at a yield, where no session call runs: the
    // program ends there, and the submission sends nothing more.
    void endButtonDuringASubmissionEndsAtOnce()
    {
        WindowFixture fixture;
        QVERIFY2(fixture.startServer(), qPrintable(fixture.serverError()));
        auto form = fixture.openWindow();
        fixture.dialogs.answerMessage(MessageBox::Answer::Yes);
        bool sessionGoneAtClick = false;
        // The first yield is the busy window's.
        QTimer::singleShot(0, form.get(), [&] {
            QTest::mouseClick(form->Option4, Qt::LeftButton);
            sessionGoneAtClick = ProgramExit::endRequested() && !form->browser().client();
        });
        form->Command2_Click();
        QVERIFY(sessionGoneAtClick);
        QVERIFY(!fixture.server.log().contains(QStringLiteral("<- USER")));
        QVERIFY(!QFileInfo::exists(fixture.homePath(QStringLiteral("Mirvel3.txt"))));
        QCOMPARE(fixture.dialogs.messages.size(), 1); // the question only
        QVERIFY(!form->Option4->isChecked());
    }

    // A close through the close box inside a wait ends the running call first
    // (long before its time-out), then the program: no box, nothing more sent,
    // the settings saved.
    void closingInsideAWaitEndsTheCallThenTheProgram()
    {
        WindowFixture fixture;
        ScriptedFtpServer server;
        server.setListing("-rw-r--r-- 1 u g 10 Jan 01 12:00 a.txt\r\n");
        server.on("STOR", [](ScriptedFtpServer::Session& session, const QByteArray&) {
            session.reply("150 Send it\r\n");
            session.openData();
            session.stall(60000); // reads nothing, answers nothing
        });
        QVERIFY(server.start());
        auto form = fixture.openWindow();
        const QString address = QStringLiteral("127.0.0.1:") + QString::number(server.port());
        form->txtServer->setText(address);
        form->browser().client()->setTimeouts(60000, 60000);
        fixture.dialogs.answerMessage(MessageBox::Answer::Yes);
        bool closeAsked = false;
        bool closedInside = true;
        connect(form->browser().client(), &clsFtpClient::Send, form.get(), [&] {
            if (!form->browser().transfers().sending() || closeAsked)
                return;
            closeAsked = true;
            QTimer::singleShot(200, form.get(), [&] { closedInside = form->close(); });
        });
        QElapsedTimer timer;
        timer.start();
        form->Command2_Click();
        QVERIFY2(timer.elapsed() < 20000, QByteArray::number(timer.elapsed()));
        QVERIFY(closeAsked && !closedInside);
        QVERIFY(!form->browser().client());
        QCOMPARE(fixture.dialogs.messages.size(), 1); // the question only
        QCOMPARE(stored(QStringLiteral("VerificPass1")), address);
        QVERIFY(!ProgramExit::endRequested());
        QVERIFY(server.commands().last().startsWith("STOR ")); // nothing after the cancelled upload
    }
};

QTEST_MAIN(TestSendoraWindow)
#include "test_main.moc"
