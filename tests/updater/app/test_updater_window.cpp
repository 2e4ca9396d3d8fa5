#include "PelmoraVer3UpColumn.h"
#include "TessalyP3VerUpColumn.h"
#include "platform/shell/LegacyText.h"
#include "platform/shell/ProgramLauncher.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/updater/app/FolderSnapshot.h"
#include "tests/updater/app/TestArchive.h"
#include "tests/updater/app/UpdaterFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

namespace {

const QString kCurrent = QStringLiteral("現在のバージョンが最新です。終了します。");
const QString kUnknown = QStringLiteral("バージョン情報を取得できませんでした。");
const QString kNewer = QStringLiteral("最新版があります。バージョンアップしてください。");
const QString kDone = QStringLiteral("バージョンアップが完了しました。バージョンを確認してください。");
const QString kFailed = QStringLiteral("ダウンロードに失敗しました。");

QByteArray versionPage(const QByteArray& title)
{
    return "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD><BODY>Version</BODY></HTML>";
}

// The vendor's pages are in the legacy code page and declare no charset.
const QByteArray kNoticePage =
    LegacyText::encode(QStringLiteral("<html><head><title>お知らせ</title></head><body>\n"
                                      "<h1>更新履歴</h1>\n<p>Ver1.05 印刷を修正しました。</p>\n"
                                      "<br><br><br><br><br><br><br><br><br></body></html>"))
        .value();

QList<double> values(const QSignalSpy& spy)
{
    QList<double> out;
    for (const auto& args : spy)
        out << args.at(0).toDouble();
    return out;
}

bool sameProgress(const QList<double>& got, const QList<double>& want)
{
    if (got.size() != want.size())
        return false;
    for (qsizetype i = 0; i < got.size(); ++i) {
        if (qAbs(got.at(i) - want.at(i)) > 0.001)
            return false;
    }
    return true;
}

QString describe(const QList<double>& list)
{
    QStringList parts;
    for (double v : list)
        parts << QString::number(v, 'f', 4);
    return parts.join(QLatin1Char(' '));
}

QByteArray productScript(const QByteArray& marker)
{
    return "#!/bin/sh\npwd > " + marker + "\n";
}

} // namespace

class TestUpdaterWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestEnvironment::isolate();
        archive2048_ = TestArchive::ofSize(2048, {{"PelmoraVer3", "new product"}});
        archive3000_ = TestArchive::ofSize(3000, {{"PelmoraVer3", "new product"}});
        QCOMPARE(archive2048_.size(), 2048);
        QCOMPARE(archive3000_.size(), 3000);
    }

    void versionCheckAtStartUp_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("message"); // empty: newer, the window stays open
        QTest::newRow("105 over 104") << "104" << versionPage("105") << 200 << "105" << QString();
        QTest::newRow("105 over 105") << "105" << versionPage("105") << 200 << "105" << kCurrent;
        QTest::newRow("105 over 106") << "106" << versionPage("105") << 200 << "105" << kCurrent;
        QTest::newRow("two-digit title over 011") << "011" << versionPage("12") << 200 << "12<" << QString();
        QTest::newRow("two-digit title over 012") << "012" << versionPage("12") << 200 << "12<" << kCurrent;
        QTest::newRow("blank inside the installed version")
            << "1 05" << versionPage("105") << 200 << "105" << kCurrent;
        QTest::newRow("lower-case title")
            << "000" << QByteArray("<html><title>105</title></html>") << 200 << QString() << kUnknown;
        QTest::newRow("error page titled 404")
            << "104" << QByteArray("<HTML><TITLE>404 Not Found</TITLE></HTML>") << 404 << QString()
            << kUnknown;
        QTest::newRow("title without a number") << "000" << versionPage("new") << 200 << "new" << kUnknown;
    }

    void versionCheckAtStartUp()
    {
        QFETCH(QString, installed);
        QFETCH(QByteArray, page);
        QFETCH(int, status);
        QFETCH(QString, latest);
        QFETCH(QString, message);
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setInstalled(installed);
        f.setVersionPage(page, status);
        f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
        f.placeProduct();
        Form1& form = f.load();
        QCOMPARE(form.controls().Text4->text(), installed);
        QCOMPARE(form.controls().Text2->text(), latest);
        if (message.isEmpty()) {
            QVERIFY(!f.ended());
            QVERIFY(form.isVisible());
            QVERIFY(form.controls().Command1->isEnabled());
            QVERIFY(f.dialogs.messages.isEmpty());
            QVERIFY(f.started.isEmpty());
            return;
        }
        QVERIFY(f.ended());
        QVERIFY(!form.isVisible());
        QCOMPARE(f.messages(), QStringList{message});
        QCOMPARE(f.dialogs.messages.first().icon, MessageBox::Icon::Information);
        QCOMPARE(f.dialogs.messages.first().title, QStringLiteral("PelmoraVer3Up"));
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started.first().program, f.productPath());
        QCOMPARE(f.started.first().workingFolder, f.folder.path());
        QVERIFY(QFileInfo(f.productPath()).permissions() & QFileDevice::ExeOwner);
    }

    void versionCheckWithoutServer()
    {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        for (const bool stall : {false, true}) {
            UpdaterFixture f(PelmoraVer3Up::column());
            f.setInstalled(QStringLiteral("000"));
            if (stall)
                f.setVersionPage({}), f.server.route("/verup/Verpelmora3.html", HttpRoute{.stall = true});
            else
                qputenv("UPDATER_BASE_URL",
                        QStringLiteral("http://127.0.0.1:%1/verup/").arg(closedPort).toUtf8());
            // Nothing there: the product is started without a check, and no product file means no start.
            f.load();
            QVERIFY(f.ended());
            QCOMPARE(f.messages(), QStringList{kUnknown});
            QVERIFY(f.started.isEmpty());
        }
    }

    void recheckComparesWithTheVersionReadAtStartUp()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
        Form1& form = f.load();
        QVERIFY(!f.ended());
        f.setInstalled(QStringLiteral("106"));
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QVERIFY(!f.ended());
        QCOMPARE(f.messages(), QStringList{kNewer});
        QCOMPARE(form.controls().Text4->text(), QStringLiteral("104"));
        QVERIFY(form.controls().Command1->isEnabled());

        f.setVersionPage(versionPage("104"));
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QVERIFY(f.ended());
        QCOMPARE(f.messages(), QStringList({kNewer, kCurrent}));
    }

    void pelmoraShowsTheNoticeAfterTheCheck()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
        bool visibleAtCheck = true;
        f.server.onRequest = [&](const QString& path) {
            if (path.endsWith(QLatin1String("Verpelmora3.html")))
                visibleAtCheck = f.form->isVisible();
        };
        Form1& form = f.load();
        QVERIFY(!visibleAtCheck);
        QCOMPARE(f.server.requests, QStringList({"/verup/Verpelmora3.html", "/verup/Pelmora3Osirase3.html"}));
        QCOMPARE(form.controls().Text5->toPlainText(),
                 QStringLiteral("お知らせ\n更新履歴\nVer1.05 印刷を修正しました。\n"));
        QVERIFY(form.controls().Frame3->isVisibleTo(&form));
        QVERIFY(form.rect().contains(form.controls().Frame3->geometry()));
    }

    void tessalyShowsItsWindowFirstAndHasNoNotice()
    {
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setVersionPage(versionPage("105"));
        bool visibleAtCheck = false;
        f.server.onRequest = [&](const QString& path) {
            if (path.endsWith(QLatin1String("Tessaly3.html")))
                visibleAtCheck = f.form->isVisible();
        };
        Form1& form = f.load();
        QVERIFY(visibleAtCheck);
        QCOMPARE(f.server.requests, QStringList{"/verup/Tessaly3.html"});
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QCOMPARE(f.server.requests, QStringList({"/verup/Tessaly3.html", "/verup/Tessaly3.html"}));
        QCOMPARE(form.controls().Text5->toPlainText(), QString());
        QVERIFY(!form.rect().intersects(form.controls().Frame3->geometry()));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tessaly(3号）VerUp Ver 1.00"));
    }

    void downloadProgress_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<double>>("progress");
        QTest::newRow("2048 in two pieces") << 2048 << QList<double>{50, 100};
        QTest::newRow("3000 in three pieces") << 3000 << QList<double>{34.1333, 68.2666, 100};
    }

    void downloadProgress()
    {
        QFETCH(int, size);
        QFETCH(QList<double>, progress);
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(size == 2048 ? archive2048_ : archive3000_));
        f.placeProduct();
        Form1& form = f.load();
        QSignalSpy spy(&form, &Form1::progressChanged);
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QVERIFY2(sameProgress(values(spy), progress), qPrintable(describe(values(spy))));
        QCOMPARE(f.messages(), QStringList{kDone});
        QVERIFY(f.ended());
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.folderAtStart, QStringList({"PelmoraVer3", "filler.bin"}));
        QFile product(f.productPath());
        QVERIFY(product.open(QIODevice::ReadOnly));
        QCOMPARE(product.readAll(), QByteArray("new product"));
    }

    // The rounded progress steps of such an archive end below 99; every byte arrived all the same.
    void largeArchiveIsInstalled()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(TestArchive::ofSize(31600000, {{"PelmoraVer3", "new product"}})));
        f.placeProduct();
        Form1& form = f.load();
        QSignalSpy spy(&form, &Form1::progressChanged);
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd(60000));
        QVERIFY(!spy.isEmpty() && values(spy).last() < 99.0);
        QCOMPARE(f.messages(), QStringList{kDone});
        QCOMPARE(f.folderAtStart, QStringList({"PelmoraVer3", "filler.bin"}));
        QFile product(f.productPath());
        QVERIFY(product.open(QIODevice::ReadOnly));
        QCOMPARE(product.readAll(), QByteArray("new product"));
    }

    void failedDownloadsLeaveNothingBehind_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QByteArray body(102400, 'x');
        QTest::newRow("announced above the body") << HttpRoute{.body = body, .announcedLength = 112640};
        QTest::newRow("empty body, length 0") << HttpRoute::file({});
        QTest::newRow("empty body, length 1000") << HttpRoute{.body = {}, .announcedLength = 1000};
        QTest::newRow("no Content-length") << HttpRoute{.body = archive2048_, .sendLength = false};
        QTest::newRow("archive missing") << HttpRoute::page("<TITLE>404</TITLE>", 404);
        QTest::newRow("stall") << HttpRoute{.stall = true};
        QTest::newRow("not an archive") << HttpRoute::file(QByteArray(2048, 'z'));
    }

    void failedDownloadsLeaveNothingBehind()
    {
        QFETCH(HttpRoute, route);
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(route);
        f.placeProduct();
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QCOMPARE(f.messages(), QStringList{kFailed});
        QCOMPARE(f.dialogs.messages.first().icon, MessageBox::Icon::Critical);
        QVERIFY(!f.ended());
        QVERIFY(f.started.isEmpty());
        QVERIFY(form.isVisible());
        QVERIFY(form.controls().Command1->isEnabled());
        QCOMPARE(f.folderEntries(), QStringList{"PelmoraVer3"});
    }

    void realUpdateEndToEnd()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        ProgramLauncher::setHandler({}); // the product really starts
        const QByteArray archive = TestArchive::make(
            {{"PelmoraVer3", productScript("started.txt")}, {"Pelmora3.dat", "Pelmora data 1.05\n"}});
        QVERIFY(!archive.isEmpty());
        f.setVersionPage(versionPage("105"));
        f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
        f.setArchive(HttpRoute::file(archive));
        f.placeProduct("#!/bin/sh\necho old > old-started.txt\n");
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QCOMPARE(f.messages(), QStringList{kDone});
        QVERIFY(f.ended());
        QVERIFY(!form.isVisible());
        QVERIFY(!QFile::exists(f.folder.filePath("PelmoraUP3.lzh")));
        QTRY_VERIFY(QFileInfo(f.folder.filePath("started.txt")).size() > 0);
        QFile marker(f.folder.filePath("started.txt"));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(QDir(QString::fromLocal8Bit(marker.readAll().trimmed())).canonicalPath(),
                 QDir(f.folder.path()).canonicalPath());
        QFile data(f.folder.filePath("Pelmora3.dat"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        QCOMPARE(data.readAll(), QByteArray("Pelmora data 1.05\n"));
        QVERIFY(!QFile::exists(f.folder.filePath("old-started.txt")));
    }

    // A member that fails after others extracted: nothing of the update lands.
    void failedMemberLeavesTheProductFolderAsItWas_data()
    {
        QTest::addColumn<bool>("tessaly");
        QTest::newRow("PelmoraVer3Up") << false;
        QTest::newRow("TessalyP3VerUp") << true;
    }

    void failedMemberLeavesTheProductFolderAsItWas()
    {
        QFETCH(bool, tessaly);
        UpdaterFixture f(tessaly ? TessalyP3VerUp::column() : PelmoraVer3Up::column());
        const QString product = f.config.productFileName();
        QByteArray archive = TestArchive::make(
            {{product, "new product"}, {"data.dat", "new data 1.05"}, {"extra.txt", "a new file"}});
        // A broken byte in the second member's data: its CRC no longer matches.
        archive[archive.indexOf("new data 1.05")] ^= 0x20;
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(archive));
        f.placeProduct("old product");
        QFile data(f.folder.filePath("data.dat"));
        QVERIFY(data.open(QIODevice::WriteOnly) && data.write("old data") == 8);
        data.close();
        const QMap<QString, QByteArray> before = FolderSnapshot::of(f.folder.path());
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QCOMPARE(f.messages(), QStringList{kFailed});
        QCOMPARE(FolderSnapshot::of(f.folder.path()), before);
    }

    void cancelDuringDownloadRemovesThePartialFile()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(TestArchive::ofSize(40 * 1024, {{"PelmoraVer3", "new"}})));
        f.placeProduct();
        Form1& form = f.load();
        // The click arrives while the pieces are written, as the window runs between them.
        bool clicked = false;
        connect(&form, &Form1::progressChanged, this, [&](double value) {
            if (!clicked && value > 20) {
                clicked = true;
                QTimer::singleShot(0, &form,
                                   [&] { QTest::mouseClick(form.controls().Command2, Qt::LeftButton); });
            }
        });
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QVERIFY(clicked);
        QVERIFY(f.ended());
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.folderEntries(), QStringList{"PelmoraVer3"});
    }

    void secondClickStartsNoSecondDownload()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute{.stall = true});
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QCOMPARE(f.server.requests.count("/verup/PelmoraUP3.lzh"), 1);
        QCOMPARE(f.server.requests.count("/verup/Verpelmora3.html"), 1);
    }

    void cancelStartsTheProductOrWarns()
    {
        UpdaterFixture f(PelmoraVer3Up::column());
        f.setVersionPage(versionPage("105"));
        Form1& form = f.load();
        // No product program: nothing to start, nothing to say.
        QTest::mouseClick(form.controls().Command2, Qt::LeftButton);
        QVERIFY(f.ended());
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(f.started.isEmpty());

        f.placeProduct();
        f.launchSucceeds = false;
        QTest::mouseClick(form.controls().Command2, Qt::LeftButton);
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages.first().title, QStringLiteral("警告"));
        QCOMPARE(f.dialogs.messages.first().icon, MessageBox::Icon::Exclamation);
    }

    void tessalyKeepsTheProductAsideDuringTheDownload()
    {
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(TestArchive::make({{"TessalyP3", "new product"}})));
        f.placeProduct("old product");
        bool asideWhileDownloading = false;
        f.server.onRequest = [&](const QString& path) {
            if (path.endsWith(QLatin1String(".lzh")))
                asideWhileDownloading = !QFile::exists(f.productPath()) && QFile::exists(f.asidePath());
        };
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QVERIFY(asideWhileDownloading);
        QCOMPARE(f.messages(), QStringList{kDone});
        QCOMPARE(f.folderEntries(), QStringList{"TessalyP3"});
        QFile product(f.productPath());
        QVERIFY(product.open(QIODevice::ReadOnly));
        QCOMPARE(product.readAll(), QByteArray("new product"));
    }

    void tessalyPutsTheProductBackWhenTheUpdateDoesNotComplete_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("download fails") << "fail";
        QTest::newRow("archive without the product") << "noproduct";
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("window closed") << "close";
    }

    void tessalyPutsTheProductBackWhenTheUpdateDoesNotComplete()
    {
        QFETCH(QString, how);
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setVersionPage(versionPage("105"));
        if (how == "fail")
            f.setArchive(HttpRoute::page("<TITLE>404</TITLE>", 404));
        else if (how == "noproduct")
            f.setArchive(HttpRoute::file(TestArchive::make({{"readme.txt", "only a note"}})));
        else
            f.setArchive(HttpRoute{.stall = true});
        f.placeProduct("old product");
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        if (how == "cancel" || how == "close") {
            QTRY_COMPARE(f.server.requests.count("/verup/TessalyP3UP.lzh"), 1);
            QVERIFY(!QFile::exists(f.productPath()));
            if (how == "cancel")
                QTest::mouseClick(form.controls().Command2, Qt::LeftButton);
            else
                form.close();
        }
        QVERIFY(f.waitForDownloadEnd());
        QFile product(f.productPath());
        QVERIFY(product.open(QIODevice::ReadOnly));
        QCOMPARE(product.readAll(), QByteArray("old product"));
        QVERIFY(!QFile::exists(f.asidePath()));
        QCOMPARE(f.started.size(), how == "cancel" ? 1 : 0);
        if (how == "fail" || how == "noproduct")
            QCOMPARE(f.messages(), QStringList{kFailed});
    }

    // Closed while the version page is awaited: the program ends, whatever the page says.
    void closeDuringTheStartUpCheckEnds_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::newRow("newer version") << "104";
        QTest::newRow("current version") << "105";
    }

    void closeDuringTheStartUpCheckEnds()
    {
        QFETCH(QString, installed);
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setInstalled(installed);
        f.setVersionPage(versionPage("105"));
        f.placeProduct();
        f.server.onRequest = [&](const QString&) { f.form->close(); };
        Form1& form = f.load();
        QVERIFY(f.ended());
        QVERIFY(!form.isVisible());
        QVERIFY(f.started.isEmpty());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void tessalyRestoresAProductLeftAsideByAnInterruptedRun()
    {
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setVersionPage(versionPage("105"));
        f.placeProduct("old product");
        QVERIFY(QFile::rename(f.productPath(), f.asidePath()));
        f.load();
        QVERIFY(QFile::exists(f.productPath()));
        QVERIFY(!QFile::exists(f.asidePath()));
    }

    void tessalyIgnoresTheClickWhileTheProductRuns()
    {
        UpdaterFixture f(TessalyP3VerUp::column());
        f.setVersionPage(versionPage("105"));
        f.setArchive(HttpRoute::file(TestArchive::make({{"TessalyP3", "new product"}})));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), f.productPath()));
        QProcess running;
        running.start(f.productPath(), {QStringLiteral("30")});
        QVERIFY(running.waitForStarted());
        Form1& form = f.load();
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QTest::qWait(200);
        running.kill();
        running.waitForFinished();
        QVERIFY(!form.downloading());
        QCOMPARE(f.server.requests.count("/verup/TessalyP3UP.lzh"), 0);
        QVERIFY(QFile::exists(f.productPath()));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void screenshotsOfBothWindows()
    {
        for (const UpdaterConfig& config : {PelmoraVer3Up::column(), TessalyP3VerUp::column()}) {
            UpdaterFixture f(config);
            f.setVersionPage(versionPage("105"));
            f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
            Form1& form = f.load();
            form.controls().ProgressBar1->setValue(40);
            const QString file = QDir::current().filePath(config.programName + QStringLiteral(".png"));
            QVERIFY(form.grab().save(file));
        }
    }

private:
    QByteArray archive2048_;
    QByteArray archive3000_;
};

QTEST_MAIN(TestUpdaterWindow)
#include "test_updater_window.moc"
