#include "platform/text/LegacyText.h"
#include "platform/shell/ProgramLauncher.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/updater/app/TestArchive.h"
#include "tests/updater/app/UpdaterFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kCurrent = QStringLiteral("現在のバージョンが最新です。終了します。");
const QString kUnknown = QStringLiteral("バージョン情報を取得できませんでした。");
const QString kNewer = QStringLiteral("最新版があります。バージョンアップしてください。");
const QString kDone = QStringLiteral("バージョンアップが完了しました。バージョンを確認してください。");
const QString kFailed = QStringLiteral("ダウンロードに失敗しました。");

// The vendor's pages are in the legacy code page and declare no charset.
const QByteArray kNoticePage =
    LegacyText::encode(QStringLiteral("<html><head><title>お知らせ</title></head><body>\n"
                                      "<h1>更新履歴</h1>\n<p>Ver1.05 印刷を修正しました。</p>\n"
                                      "<br><br><br><br><br><br><br><br><br></body></html>"))
        .value();

QByteArray productScript(const QByteArray& marker)
{
    return "#!/bin/sh\npwd > " + marker + "\n";
}

} // namespace

class TestUpdaterWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::isolate(); }

    void versionCheckAtStartUp_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("message"); // empty: newer, the window stays open
        QTest::newRow("newer") << "104" << QByteArray("105") << "105" << QString();
        QTest::newRow("current") << "105" << QByteArray("105") << "105" << kCurrent;
        QTest::newRow("unknown") << "000" << QByteArray("new") << "new" << kUnknown;
    }

    void versionCheckAtStartUp()
    {
        QFETCH(QString, installed);
        QFETCH(QByteArray, title);
        QFETCH(QString, latest);
        QFETCH(QString, message);
        UpdaterFixture f(pelmoraConfig());
        f.setInstalled(installed);
        f.setLatestVersion(title);
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

    void recheckComparesWithTheVersionReadAtStartUp()
    {
        UpdaterFixture f(pelmoraConfig());
        f.setLatestVersion("105");
        f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
        Form1& form = f.load();
        QVERIFY(!f.ended());
        f.setInstalled(QStringLiteral("106"));
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QVERIFY(!f.ended());
        QCOMPARE(f.messages(), QStringList{kNewer});
        QCOMPARE(form.controls().Text4->text(), QStringLiteral("104"));
        QVERIFY(form.controls().Command1->isEnabled());

        f.setLatestVersion("104");
        QTest::mouseClick(form.controls().Command3, Qt::LeftButton);
        QVERIFY(f.ended());
        QCOMPARE(f.messages(), QStringList({kNewer, kCurrent}));
    }

    void pelmoraShowsTheNoticeAfterTheCheck()
    {
        UpdaterFixture f(pelmoraConfig());
        f.setLatestVersion("105");
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
        UpdaterFixture f(tessalyConfig());
        f.setLatestVersion("105");
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

    // Both ways an update can fail end in one message; the window stays open for another try.
    void failedUpdateIsReported_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QTest::newRow("download failed") << HttpRoute::page("<TITLE>404</TITLE>", 404);
        QTest::newRow("extraction failed") << HttpRoute::file(QByteArray(2048, 'z'));
    }

    void failedUpdateIsReported()
    {
        QFETCH(HttpRoute, route);
        UpdaterFixture f(pelmoraConfig());
        f.setLatestVersion("105");
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
    }

    void realUpdateEndToEnd()
    {
        UpdaterFixture f(pelmoraConfig());
        ProgramLauncher::setHandler({}); // the product really starts
        const QByteArray archive = TestArchive::make(
            {{"PelmoraVer3", productScript("started.txt")}, {"Pelmora3.dat", "Pelmora data 1.05\n"}});
        QVERIFY(!archive.isEmpty());
        f.setLatestVersion("105");
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
        QCOMPARE(form.controls().ProgressBar1->value(), 100);
    }

    // The click or the close arrives while the pieces are written, as the window runs between them:
    // the partial archive goes and the product kept aside is back.
    void cancelOrCloseDuringTheDownload_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("キャンセル starts the product") << false;
        QTest::newRow("close ends without it") << true;
    }

    void cancelOrCloseDuringTheDownload()
    {
        QFETCH(bool, close);
        UpdaterFixture f(tessalyConfig());
        f.setLatestVersion("105");
        f.setArchive(HttpRoute::file(TestArchive::ofSize(40 * 1024, {{"TessalyP3", "new"}})));
        f.placeProduct("old product");
        Form1& form = f.load();
        bool interrupted = false;
        connect(&form.updateRun(), &UpdateRun::progressChanged, this, [&](double value) {
            if (!interrupted && value > 20) {
                interrupted = true;
                QTimer::singleShot(0, &form, [&] {
                    if (close)
                        form.close();
                    else
                        QTest::mouseClick(form.controls().Command2, Qt::LeftButton);
                });
            }
        });
        QTest::mouseClick(form.controls().Command1, Qt::LeftButton);
        QVERIFY(f.waitForDownloadEnd());
        QVERIFY(interrupted);
        QCOMPARE(f.ended(), !close);
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.started.size(), close ? 0 : 1);
        QCOMPARE(f.folderEntries(), QStringList{"TessalyP3"});
        QCOMPARE(f.productContents(), QByteArray("old product"));
    }

    void secondClickStartsNoSecondDownload()
    {
        UpdaterFixture f(pelmoraConfig());
        f.setLatestVersion("105");
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
        UpdaterFixture f(pelmoraConfig());
        f.setLatestVersion("105");
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
        UpdaterFixture f(tessalyConfig());
        f.setInstalled(installed);
        f.setLatestVersion("105");
        f.placeProduct();
        f.server.onRequest = [&](const QString&) { f.form->close(); };
        Form1& form = f.load();
        QVERIFY(f.ended());
        QVERIFY(!form.isVisible());
        QVERIFY(f.started.isEmpty());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void screenshotsOfBothWindows()
    {
        for (const UpdaterConfig& config : {pelmoraConfig(), tessalyConfig()}) {
            UpdaterFixture f(config);
            f.setLatestVersion("105");
            f.server.route("/verup/Pelmora3Osirase3.html", HttpRoute::page(kNoticePage));
            Form1& form = f.load();
            form.controls().ProgressBar1->setValue(40);
            const QString file = QDir::current().filePath(config.programName + QStringLiteral(".png"));
            QVERIFY(form.grab().save(file));
        }
    }
};

QTEST_MAIN(TestUpdaterWindow)
#include "test_window.moc"
