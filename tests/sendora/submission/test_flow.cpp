// The submissions end to end: the real window, the real archiver library and a
// real FTP server (pyftpdlib) on loopback, with scripted dialogs. Archives that
// reach the server are read back with liblhasa.

#include "LhaContents.h"
#include "TestFiles.h"
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "tests/support/common/ScriptedDialogs.h"
#include "tests/support/common/TempProgramFolder.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/support/ftp/PyFtpdServer.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kVerificDone = QStringLiteral("検証データ送信完了");
const QString kVerificFailed = QStringLiteral("検証データ送信失敗");
const QString kPassDone = QStringLiteral("Passデータ送信完了");
const QString kPassFailed = QStringLiteral("Passデータ送信失敗");
const QString kWarning = QStringLiteral("警告");

QString copyName(const QDate& d)
{
    return d.toString(QStringLiteral("MM'月'dd'日fan.data'"));
}

QByteArray dayBytes(const QDate& d)
{
    return "day " + d.toString(Qt::ISODate).toLatin1();
}

QByteArray databaseBytes(int year, int month)
{
    return "database " + QByteArray::number(year) + "-" + QByteArray::number(month);
}

bool busyWindowShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form2*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

// The product's data folder "10" below the program folder, as the default
// setting names it: day files for every day from first to last, a database
// for every month between.
void makeProductData(const QString& programFolder, const QDate& first, const QDate& last)
{
    const QString data = programFolder + QStringLiteral("/10");
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        writeFile(data + d.toString(QStringLiteral("/yyyy'年'/MM'月'/dd'日fan.data'")), dayBytes(d));
        if (d.day() == 1 || d == first)
            writeFile(data + d.toString(QStringLiteral("/yyyy'年'/MM'月Oz.mdb'")),
                      databaseBytes(d.year(), d.month()));
    }
}

} // namespace

class TestSubmissionFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void verificationRanges_data();
    void verificationRanges();
    void verificationThroughSendButton();
    void archiveLandsInLoginDirectory();
    void asciiModeSendsAscii();
    void refusedUploadIsReported();
    void refusedLoginEndsProgram();
    void noDayFileSendsNothing();
    void programFolderWithBlank();

    void passDataSent_data();
    void passDataSent();
    void passDataUnrepresentable();
    void passDataFetch_data();
    void passDataFetch();

private:
    // A window connected to the test server through its settings boxes.
    std::unique_ptr<Form1> openWindow();
    bool startServer(const FtpServerOptions& options = {});
    void setRange(Form1& form, const QDate& start, const QDate& end);
    // Records every message box, and whether a busy window was still shown when it came.
    void watchMessages(MessageBox::Answer answer);
    bool serverWasContacted() const;
    // Every connection the server saw has been closed again ("DISCONNECT" lines contain "CONNECT" too).
    int openConnections() const;

    std::unique_ptr<TempProgramFolder> program_;
    std::unique_ptr<QTemporaryDir> serverRoot_;
    std::unique_ptr<PyFtpdServer> server_;
    QList<MessageBox::Request> messages_;
    QList<bool> busyAtMessage_;
};

void TestSubmissionFlow::initTestCase()
{
    TestEnvironment::isolate();
    ProgramExit::setHandler([](int) {});
}

void TestSubmissionFlow::init()
{
    ProgramExit::resetForTest();
    program_ = std::make_unique<TempProgramFolder>();
    serverRoot_ = std::make_unique<QTemporaryDir>();
    messages_.clear();
    busyAtMessage_.clear();
}

void TestSubmissionFlow::cleanup()
{
    MessageBox::setHandler({});
    server_.reset();
    serverRoot_.reset();
    program_.reset();
}

bool TestSubmissionFlow::startServer(const FtpServerOptions& options)
{
    server_ = std::make_unique<PyFtpdServer>();
    if (!server_->start(serverRoot_->path(), options)) {
        qWarning() << server_->errorString();
        return false;
    }
    return true;
}

std::unique_ptr<Form1> TestSubmissionFlow::openWindow()
{
    auto form = std::make_unique<Form1>();
    form->txtServer->setText(QStringLiteral("127.0.0.1:%1").arg(server_->port()));
    form->txtUser->setText(server_->user());
    form->txtPass->setText(server_->password());
    form->browser().client()->setTimeouts(5000, 10000);
    return form;
}

void TestSubmissionFlow::setRange(Form1& form, const QDate& start, const QDate& end)
{
    form.DTPicker1[0]->setDate(start);
    form.DTPicker1[1]->setDate(end);
    form.DTPicker1_CloseUp(1);
}

void TestSubmissionFlow::watchMessages(MessageBox::Answer answer)
{
    MessageBox::setHandler([this, answer](const MessageBox::Request& request) {
        messages_.append(request);
        busyAtMessage_.append(busyWindowShown());
        if (request.buttons == MessageBox::Buttons::YesNo)
            return answer;
        return MessageBox::Answer::Ok;
    });
}

bool TestSubmissionFlow::serverWasContacted() const
{
    return server_->log().contains(QStringLiteral("CONNECT "));
}

int TestSubmissionFlow::openConnections() const
{
    const QString log = server_->log();
    return int(log.count(QStringLiteral("CONNECT ")) - 2 * log.count(QStringLiteral("DISCONNECT ")));
}

// The window reads the range from the end picker and the count label as the
// command starts; the archive that reached the server holds exactly the range's
// day files (the earliest date winning where a range longer than a year repeats
// a month and day) and the end and start months' databases. Which files a range
// takes is the collection plan's, tested without a window.
void TestSubmissionFlow::verificationRanges_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("countText"); // empty: as the pickers give it
    QTest::addColumn<QList<QDate>>("databaseMonths");

    QTest::newRow("inside a month") << QDate(2009, 2, 3) << QDate(2009, 2, 18) << QString()
                                    << QList<QDate>{QDate(2009, 2, 1)};
    QTest::newRow("across New Year") << QDate(2008, 12, 20) << QDate(2009, 1, 10) << QStringLiteral("22")
                                     << QList<QDate>{QDate(2009, 1, 1), QDate(2008, 12, 1)};
    QTest::newRow("more than a year") << QDate(2008, 2, 10) << QDate(2009, 2, 18) << QString()
                                      << QList<QDate>{QDate(2009, 2, 1), QDate(2008, 2, 1)};
}

void TestSubmissionFlow::verificationRanges()
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, countText);
    QFETCH(QList<QDate>, databaseMonths);

    makeProductData(program_->path(), qMin(start, end).addDays(-40), qMax(start, end).addDays(40));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, start, end);
    if (!countText.isEmpty())
        form->Label6->setText(countText);
    watchMessages(MessageBox::Answer::Yes);

    form->Command1_Click();

    const QString remote = serverRoot_->filePath(QStringLiteral("Qorlith.lzh"));
    QVERIFY(!busyWindowShown());
    QVERIFY(!QFile::exists(SubmissionPaths::archivePath(program_->path())));
    QCOMPARE(messages_.size(), 1); // the question only

    QMap<QString, QByteArray> expected;
    for (QDate d = start; d <= end; d = d.addDays(1)) {
        if (!expected.contains(copyName(d)))
            expected.insert(copyName(d), dayBytes(d));
    }
    for (const QDate& month : databaseMonths)
        expected.insert(month.toString(QStringLiteral("MM'月Oz.mdb'")),
                        databaseBytes(month.year(), month.month()));

    const LhaContents archive = LhaContents::read(remote);
    QVERIFY2(archive.ok, qPrintable(archive.error));
    QCOMPARE(archive.members.keys(), expected.keys());
    QCOMPARE(archive.members, expected);

    QCOMPARE(form->statusText(), kVerificDone);
    QCOMPARE(form->lvwList->rowCount(), 0);
    QCOMPARE(form->txtPath->text(), QString());
    QTRY_COMPARE(openConnections(), 0);
    QVERIFY(form->pbrState->isVisibleTo(form.get()));
    QCOMPARE(form->pbrState->value64(), 0);
    // The working folder keeps no copy of this run.
    QCOMPARE(QDir(SubmissionPaths::workingFolder(program_->path())).entryList(QDir::Files), QStringList{});
}

// 送　信 with 検証データ送信 ticked; a public_html directory at the login
// directory takes the archive.
void TestSubmissionFlow::verificationThroughSendButton()
{
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    QVERIFY(QDir(serverRoot_->path()).mkdir(QStringLiteral("public_html")));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, QDate(2009, 2, 17), QDate(2009, 2, 18));
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MessageBox::Answer::Yes);

    form->Check3[0]->click();
    QVERIFY(form->Check3[0]->isChecked());
    form->Option3->click();

    const LhaContents archive =
        LhaContents::read(serverRoot_->filePath(QStringLiteral("public_html/Qorlith.lzh")));
    QVERIFY2(archive.ok, qPrintable(archive.error));
    QCOMPARE(archive.members.keys(),
             (QStringList{QStringLiteral("02月17日fan.data"), QStringLiteral("02月18日fan.data"),
                          QStringLiteral("02月Oz.mdb")}));
    QVERIFY(!QFile::exists(serverRoot_->filePath(QStringLiteral("Qorlith.lzh"))));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.at(0).text, QStringLiteral("検証データを送信します｡よろしいですか "));
    QCOMPARE(dialogs.messages.at(0).buttons, MessageBox::Buttons::YesNo);
    QCOMPARE(form->statusText(), kVerificDone);
    // One connection for the whole submission.
    // "DISCONNECT" lines contain "CONNECT" too.
    const auto connections = [this] {
        return server_->log().count(QStringLiteral("CONNECT ")) -
               server_->log().count(QStringLiteral("DISCONNECT "));
    };
    QTRY_COMPARE(server_->log().count(QStringLiteral("DISCONNECT ")), 1);
    QCOMPARE(connections(), 1);
}

// The login directory lists a file first: the archive stays there.
void TestSubmissionFlow::archiveLandsInLoginDirectory()
{
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    QVERIFY(writeFile(serverRoot_->filePath(QStringLiteral("readme.txt")), "hello"));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, QDate(2009, 2, 18), QDate(2009, 2, 18));
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MessageBox::Answer::Yes);
    form->Command1_Click();
    QVERIFY(LhaContents::read(serverRoot_->filePath(QStringLiteral("Qorlith.lzh"))).ok);
    QCOMPARE(dialogs.messages.size(), 1);
}

void TestSubmissionFlow::asciiModeSendsAscii()
{
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, QDate(2009, 2, 18), QDate(2009, 2, 18));
    form->Option2->setChecked(true);
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MessageBox::Answer::Yes);
    form->Command1_Click();

    const QString log = server_->log();
    const qsizetype stor = log.indexOf(QStringLiteral("<- STOR Qorlith.lzh"));
    QVERIFY(stor > 0);
    QVERIFY(log.lastIndexOf(QStringLiteral("<- TYPE A"), stor) > 0);
    QVERIFY(log.lastIndexOf(QStringLiteral("<- TYPE I"), stor) <
            log.lastIndexOf(QStringLiteral("<- TYPE A"), stor));
    QVERIFY(QFile::exists(serverRoot_->filePath(QStringLiteral("Qorlith.lzh"))));
}

// The server refuses the file: failure on the status line and a warning once
// the busy window has gone; the archive is not kept.
void TestSubmissionFlow::refusedUploadIsReported()
{
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    FtpServerOptions options;
    options.refuseStor = true;
    QVERIFY(startServer(options));
    auto form = openWindow();
    setRange(*form, QDate(2009, 2, 18), QDate(2009, 2, 18));
    watchMessages(MessageBox::Answer::Yes);

    form->Command1_Click();

    QVERIFY(server_->log().contains(QStringLiteral("<- STOR Qorlith.lzh")));
    QCOMPARE(form->statusText(), kVerificFailed);
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_.at(1).text, QStringLiteral("検証データを送信できませんでした。"));
    QCOMPARE(messages_.at(1).title, kWarning);
    QCOMPARE(messages_.at(1).icon, MessageBox::Icon::Exclamation);
    QCOMPARE(messages_.at(1).buttons, MessageBox::Buttons::Ok);
    QCOMPARE(busyAtMessage_.at(1), false);
    QVERIFY(!busyWindowShown());
    QVERIFY(!QFile::exists(SubmissionPaths::archivePath(program_->path())));
    QTRY_COMPARE(openConnections(), 0);
}

// A refused login tells the user and ends the program; the archive waits in
// the working folder for the next run, which clears it.
void TestSubmissionFlow::refusedLoginEndsProgram()
{
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    QVERIFY(startServer());
    auto form = openWindow();
    form->txtPass->setText(QStringLiteral("wrong"));
    setRange(*form, QDate(2009, 2, 18), QDate(2009, 2, 18));
    watchMessages(MessageBox::Answer::Yes);

    form->Command1_Click();

    QVERIFY(ProgramExit::endRequested());
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_.at(1).text,
             QStringLiteral("接続できません。終了します。\r\n再度起動して実行してください "));
    QVERIFY(!server_->log().contains(QStringLiteral("<- STOR")));
    QVERIFY(QFile::exists(SubmissionPaths::archivePath(program_->path())));
    QVERIFY(form->statusText() != kVerificDone);
}

// No day file in the range: nothing to send, so no connection and no message;
// the busy window closes with the command.
void TestSubmissionFlow::noDayFileSendsNothing()
{
    QVERIFY(writeFile(program_->filePath(QStringLiteral("10/2009年/02月Oz.mdb")), databaseBytes(2009, 2)));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, QDate(2009, 2, 10), QDate(2009, 2, 18));
    watchMessages(MessageBox::Answer::Yes);

    form->Command1_Click();

    QVERIFY(!serverWasContacted());
    QVERIFY(!busyWindowShown());
    QCOMPARE(messages_.size(), 1); // the question only
}

// The archiver's command line quotes its paths when the program folder holds a
// blank: the archive is built and sent all the same.
void TestSubmissionFlow::programFolderWithBlank()
{
    program_.reset(); // one program folder at a time
    program_ = std::make_unique<TempProgramFolder>(true);
    QVERIFY(program_->path().contains(u' '));
    makeProductData(program_->path(), QDate(2009, 2, 1), QDate(2009, 2, 28));
    QVERIFY(startServer());
    auto form = openWindow();
    setRange(*form, QDate(2009, 1, 31), QDate(2009, 2, 1));
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MessageBox::Answer::Yes);
    form->Command1_Click();

    const LhaContents archive = LhaContents::read(serverRoot_->filePath(QStringLiteral("Qorlith.lzh")));
    QVERIFY2(archive.ok, qPrintable(archive.error));
    QCOMPARE(archive.members.keys(),
             (QStringList{QStringLiteral("02月01日fan.data"), QStringLiteral("02月Oz.mdb")}));
}

void TestSubmissionFlow::passDataSent_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("two boxes") << "kanri01"
                               << "kensho02" << QByteArray("kanri01\r\nkensho02\r\n");
    QTest::newRow("empty boxes") << ""
                                 << "" << QByteArray("\r\n\r\n");
    QTest::newRow("Japanese") << QStringLiteral("管理パス") << QStringLiteral("検証")
                              << QByteArray("\x8a\xc7\x97\x9d\x83\x70\x83\x58\r\n\x8c\x9f\x8f\xd8\r\n");
}

void TestSubmissionFlow::passDataSent()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QByteArray, bytes);
    QVERIFY(startServer());
    auto form = openWindow();
    form->Text1[0]->setText(first);
    form->Text1[1]->setText(second);
    watchMessages(MessageBox::Answer::Yes);

    form->Command2_Click();

    QCOMPARE(readFile(program_->filePath(QStringLiteral("Mirvel3.txt"))), bytes);
    QCOMPARE(readFile(serverRoot_->filePath(QStringLiteral("Mirvel3.txt"))), bytes);
    QCOMPARE(form->statusText(), kPassDone);
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_.at(0).text, QStringLiteral("Passデータを送信します｡よろしいですか "));
    QVERIFY(!busyWindowShown());
    QTRY_COMPARE(openConnections(), 0);
}

// A box holding what CP932 cannot store: the old file is neither replaced nor sent.
void TestSubmissionFlow::passDataUnrepresentable()
{
    QVERIFY(writeFile(program_->filePath(QStringLiteral("Mirvel3.txt")), "old1\r\nold2\r\n"));
    QVERIFY(startServer());
    auto form = openWindow();
    QCOMPARE(form->Text1[0]->text(), QStringLiteral("old1"));
    form->Text1[0]->setText(QStringLiteral("한국어"));
    watchMessages(MessageBox::Answer::Yes);

    form->Command2_Click();

    QVERIFY(!serverWasContacted());
    QCOMPARE(readFile(program_->filePath(QStringLiteral("Mirvel3.txt"))), QByteArray("old1\r\nold2\r\n"));
    QCOMPARE(form->statusText(), kPassFailed);
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_.at(1).text, QStringLiteral("Passデータを送信できませんでした。"));
    QCOMPARE(messages_.at(1).title, kWarning);
    QCOMPARE(messages_.at(1).icon, MessageBox::Icon::Exclamation);
    QCOMPARE(busyAtMessage_.at(1), false);
    QVERIFY(!busyWindowShown());
}

// The fetch takes every row named Mirvel3.txt (blanks around it ignored, case
// counting), asks when another row is selected, refuses a directory alone.
void TestSubmissionFlow::passDataFetch_data()
{
    QTest::addColumn<QStringList>("serverFiles");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<MessageBox::Answer>("answer");
    QTest::addColumn<bool>("pickFolder");
    QTest::addColumn<QString>("expectedMessage");
    QTest::addColumn<QStringList>("expectedLocal");

    const QString question =
        QStringLiteral("ディレクトリは取得できません。\r\nファイルの取得を継続しますか？");
    QTest::newRow("trimmed name") << QStringList{QStringLiteral("Mirvel3.txt "), QStringLiteral("other.txt")}
                                  << QStringList{} << MessageBox::Answer::Yes << true << QString()
                                  << QStringList{QStringLiteral("Mirvel3.txt")};
    QTest::newRow("lower case") << QStringList{QStringLiteral("mirvel3.txt")} << QStringList{}
                                << MessageBox::Answer::Yes << true << QString() << QStringList{};
    QTest::newRow("other file selected, yes")
        << QStringList{QStringLiteral("Mirvel3.txt"), QStringLiteral("other.txt")}
        << QStringList{QStringLiteral("other.txt")} << MessageBox::Answer::Yes << true << question
        << QStringList{QStringLiteral("Mirvel3.txt")};
    QTest::newRow("other file selected, no")
        << QStringList{QStringLiteral("Mirvel3.txt"), QStringLiteral("other.txt")}
        << QStringList{QStringLiteral("other.txt")} << MessageBox::Answer::No << false << question
        << QStringList{};
    QTest::newRow("directory only") << QStringList{QStringLiteral("sub/"), QStringLiteral("other.txt")}
                                    << QStringList{QStringLiteral("sub")} << MessageBox::Answer::Yes << false
                                    << QStringLiteral("ディレクトリは取得できません。") << QStringList{};
    QTest::newRow("picker cancelled") << QStringList{QStringLiteral("Mirvel3.txt")} << QStringList{}
                                      << MessageBox::Answer::Yes << false << QString() << QStringList{};
}

void TestSubmissionFlow::passDataFetch()
{
    QFETCH(QStringList, serverFiles);
    QFETCH(QStringList, selected);
    QFETCH(MessageBox::Answer, answer);
    QFETCH(bool, pickFolder);
    QFETCH(QString, expectedMessage);
    QFETCH(QStringList, expectedLocal);

    for (const QString& name : serverFiles) {
        if (name.endsWith(u'/'))
            QVERIFY(QDir(serverRoot_->path()).mkdir(name.chopped(1)));
        else
            QVERIFY(writeFile(serverRoot_->filePath(name), "pass of " + name.toUtf8()));
    }
    QVERIFY(startServer());
    auto form = openWindow();
    ScriptedDialogs dialogs;
    form->cmdConnect_Click();
    QCOMPARE(form->lvwList->rowCount(), serverFiles.size());
    // A directory listed first leads the connect command to a missing public_html: not this test's business.
    dialogs.messages.clear();
    form->lvwList->clearSelection();
    for (int i = 0; i < form->lvwList->rowCount(); ++i) {
        if (selected.contains(form->lvwList->row(i)->text(0)))
            form->lvwList->row(i)->setSelected(true);
    }

    QTemporaryDir destination;
    dialogs.answerMessage(answer);
    dialogs.answerFolder(pickFolder ? destination.path() : QString());
    const bool pickerExpected = expectedMessage.isEmpty() || answer == MessageBox::Answer::Yes;
    const bool picksAnything =
        pickerExpected && expectedMessage != QStringLiteral("ディレクトリは取得できません。");

    form->Command3_Click();

    QCOMPARE(dialogs.messages.size(), expectedMessage.isEmpty() ? 0 : 1);
    if (!expectedMessage.isEmpty())
        QCOMPARE(dialogs.messages.at(0).text, expectedMessage);
    QCOMPARE(dialogs.folders.size(), picksAnything ? 1 : 0);
    if (picksAnything)
        QCOMPARE(dialogs.folders.at(0).title, QStringLiteral("取得先ディレクトリを選択してください。"));
    QCOMPARE(QDir(destination.path()).entryList(QDir::Files), expectedLocal);
    for (const QString& name : expectedLocal) {
        const QString remote = serverFiles.filter(name).first();
        QCOMPARE(readFile(destination.filePath(name)), "pass of " + remote.toUtf8());
    }
    // The fetch keeps the session and the list as they were.
    QCOMPARE(openConnections(), 1);
    QCOMPARE(form->lvwList->rowCount(), serverFiles.size());
    QVERIFY(!busyWindowShown());
}

QTEST_MAIN(TestSubmissionFlow)
#include "test_flow.moc"
