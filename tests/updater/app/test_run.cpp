#include "platform/inet/Inet.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/updater/app/FolderSnapshot.h"
#include "tests/updater/app/TestArchive.h"
#include "tests/updater/app/UpdateSite.h"
#include "updater/app/UpdateRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTest>
#include <cmath>
#include <optional>

namespace {

using Outcome = UpdateRun::Outcome;

// An update run on a site, as a window would drive it, recording what it reports.
class RunFixture : public UpdateSite
{
public:
    explicit RunFixture(const UpdaterConfig& config)
        : UpdateSite(config), run(this->config, folder.path(), pageFetch, download)
    {
        pageFetch.setTimeoutMs(1000);
        download.setTimeoutMs(1000);
        QObject::connect(&download, &Inet::StateChanged, &run, &UpdateRun::downloadStateChanged);
        // Four decimals, as the steps are rounded.
        QObject::connect(&run, &UpdateRun::progressChanged,
                         [this](double percent) { progress << std::round(percent * 10000) / 10000; });
        QObject::connect(&run, &UpdateRun::finished, [this](Outcome outcome) {
            outcomes << outcome;
            folderAtFinish = folderEntries();
        });
    }

    // Runs a download to its end; nothing when it did not start or did not end.
    std::optional<Outcome> downloadToEnd(int timeoutMs = 10000)
    {
        if (!run.startDownload())
            return std::nullopt;
        if (!QTest::qWaitFor([this] { return !run.isDownloading(); }, timeoutMs))
            return std::nullopt;
        return outcomes.size() == 1 ? std::optional(outcomes.first()) : std::nullopt;
    }

    Inet pageFetch;
    Inet download;
    UpdateRun run;
    QList<double> progress;
    QList<Outcome> outcomes;
    QStringList folderAtFinish; // the program folder as the run left it
};

} // namespace

class TestUpdateRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::isolate(); }

    void versionCheck_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("status");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("latest");
        const auto newer = Outcome::NewerVersion;
        const auto current = Outcome::UpToDate;
        const auto unknown = Outcome::VersionUnknown;
        QTest::newRow("105 over 104") << "104" << UpdateSite::versionPage("105") << 200 << newer << "105";
        QTest::newRow("105 over 105") << "105" << UpdateSite::versionPage("105") << 200 << current << "105";
        QTest::newRow("105 over 106") << "106" << UpdateSite::versionPage("105") << 200 << current << "105";
        QTest::newRow("two-digit title over 011")
            << "011" << UpdateSite::versionPage("12") << 200 << newer << "12<";
        QTest::newRow("two-digit title over 012")
            << "012" << UpdateSite::versionPage("12") << 200 << current << "12<";
        QTest::newRow("blank inside the installed version")
            << "1 05" << UpdateSite::versionPage("105") << 200 << current << "105";
        QTest::newRow("lower-case title")
            << "000" << QByteArray("<html><title>105</title></html>") << 200 << unknown << QString();
        QTest::newRow("error page titled 404")
            << "104" << QByteArray("<HTML><TITLE>404 Not Found</TITLE></HTML>") << 404 << unknown
            << QString();
        QTest::newRow("title without a number")
            << "000" << UpdateSite::versionPage("new") << 200 << unknown << "new";
    }

    void versionCheck()
    {
        QFETCH(QString, installed);
        QFETCH(QByteArray, page);
        QFETCH(int, status);
        QFETCH(Outcome, outcome);
        QFETCH(QString, latest);
        RunFixture f(pelmoraConfig());
        f.setInstalled(installed);
        f.setVersionPage(page, status);
        QCOMPARE(f.run.installedVersion(), installed);
        const UpdateRun::VersionCheck checked = f.run.check(installed);
        QCOMPARE(checked.outcome, outcome);
        QCOMPARE(checked.latest, latest);
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
            RunFixture f(pelmoraConfig());
            if (stall)
                f.server.route("/verup/Verpelmora3.html", HttpRoute{.stall = true});
            else
                qputenv("UPDATER_BASE_URL",
                        QStringLiteral("http://127.0.0.1:%1/verup/").arg(closedPort).toUtf8());
            QCOMPARE(f.run.check(QStringLiteral("000")).outcome, Outcome::VersionUnknown);
        }
    }

    // The progress steps follow the announced length; the archive lands whole and alone.
    void downloadProgress_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<double>>("progress");
        QTest::newRow("2048 in two pieces") << 2048 << QList<double>{0, 50, 100};
        QTest::newRow("3000 in three pieces") << 3000 << QList<double>{0, 34.1333, 68.2666, 100};
    }

    void downloadProgress()
    {
        QFETCH(int, size);
        QFETCH(QList<double>, progress);
        RunFixture f(pelmoraConfig());
        const QByteArray archive = TestArchive::ofSize(size, {{"PelmoraVer3", "new product"}});
        QCOMPARE(archive.size(), size);
        f.setArchive(HttpRoute::file(archive));
        f.placeProduct();
        QCOMPARE(f.downloadToEnd(), Outcome::Installed);
        QCOMPARE(f.progress, progress);
        QCOMPARE(f.folderAtFinish, QStringList({"PelmoraVer3", "filler.bin"}));
        QCOMPARE(f.productContents(), QByteArray("new product"));
    }

    // The rounded progress steps of such an archive end below 99; every byte arrived all the same.
    void largeArchiveIsInstalled()
    {
        RunFixture f(pelmoraConfig());
        f.setArchive(HttpRoute::file(TestArchive::ofSize(31600000, {{"PelmoraVer3", "new product"}})));
        f.placeProduct();
        QCOMPARE(f.downloadToEnd(60000), Outcome::Installed);
        QVERIFY(f.progress.last() < 99.0);
        QCOMPARE(f.folderAtFinish, QStringList({"PelmoraVer3", "filler.bin"}));
        QCOMPARE(f.productContents(), QByteArray("new product"));
    }

    void failedDownloadsLeaveNothingBehind_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QTest::addColumn<Outcome>("outcome");
        const auto download = Outcome::DownloadFailed;
        QByteArray body(102400, 'x');
        QTest::newRow("announced above the body")
            << HttpRoute{.body = body, .announcedLength = 112640} << download;
        QTest::newRow("empty body, length 0") << HttpRoute::file({}) << download;
        QTest::newRow("negative length") << HttpRoute{.body = {}, .announcedLength = -5} << download;
        QTest::newRow("empty body, length 1000")
            << HttpRoute{.body = {}, .announcedLength = 1000} << download;
        QTest::newRow("no Content-length")
            << HttpRoute{.body = TestArchive::make({{"PelmoraVer3", "new"}}), .sendLength = false}
            << download;
        QTest::newRow("archive missing") << HttpRoute::page("<TITLE>404</TITLE>", 404) << download;
        QTest::newRow("stall") << HttpRoute{.stall = true} << download;
        QTest::newRow("not an archive")
            << HttpRoute::file(QByteArray(2048, 'z')) << Outcome::ExtractionFailed;
    }

    void failedDownloadsLeaveNothingBehind()
    {
        QFETCH(HttpRoute, route);
        QFETCH(Outcome, outcome);
        RunFixture f(pelmoraConfig());
        f.setArchive(route);
        f.placeProduct();
        QCOMPARE(f.downloadToEnd(), outcome);
        QCOMPARE(f.folderEntries(), QStringList{"PelmoraVer3"});
        QCOMPARE(f.productContents(), QByteArray("old product"));
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
        RunFixture f(tessaly ? tessalyConfig() : pelmoraConfig());
        const QString product = f.config.productFileName();
        QByteArray archive = TestArchive::make(
            {{product, "new product"}, {"data.dat", "new data 1.05"}, {"extra.txt", "a new file"}});
        // A broken byte in the second member's data: its CRC no longer matches.
        archive[archive.indexOf("new data 1.05")] ^= 0x20;
        f.setArchive(HttpRoute::file(archive));
        f.placeProduct("old product");
        QFile data(f.folder.filePath("data.dat"));
        QVERIFY(data.open(QIODevice::WriteOnly) && data.write("old data") == 8);
        data.close();
        const QMap<QString, QByteArray> before = FolderSnapshot::of(f.folder.path());
        QCOMPARE(f.downloadToEnd(), Outcome::ExtractionFailed);
        QCOMPARE(FolderSnapshot::of(f.folder.path()), before);
    }

    void tessalyKeepsTheProductAsideDuringTheDownload()
    {
        RunFixture f(tessalyConfig());
        f.setArchive(HttpRoute::file(TestArchive::make({{"TessalyP3", "new product"}})));
        f.placeProduct("old product");
        bool asideWhileDownloading = false;
        f.server.onRequest = [&](const QString&) {
            asideWhileDownloading = !QFile::exists(f.productPath()) && QFile::exists(f.asidePath());
        };
        QCOMPARE(f.downloadToEnd(), Outcome::Installed);
        QVERIFY(asideWhileDownloading);
        QCOMPARE(f.folderAtFinish, QStringList{"TessalyP3"});
        QCOMPARE(f.productContents(), QByteArray("new product"));
    }

    void tessalyPutsTheProductBackWhenTheUpdateDoesNotComplete_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QTest::addColumn<std::optional<Outcome>>("outcome"); // nothing: abandoned
        QTest::newRow("download fails")
            << HttpRoute::page("<TITLE>404</TITLE>", 404) << std::optional(Outcome::DownloadFailed);
        QTest::newRow("archive without the product")
            << HttpRoute::file(TestArchive::make({{"readme.txt", "only a note"}}))
            << std::optional(Outcome::ExtractionFailed);
        QTest::newRow("abandoned") << HttpRoute{.stall = true} << std::optional<Outcome>();
    }

    void tessalyPutsTheProductBackWhenTheUpdateDoesNotComplete()
    {
        QFETCH(HttpRoute, route);
        QFETCH(std::optional<Outcome>, outcome);
        RunFixture f(tessalyConfig());
        f.setArchive(route);
        f.placeProduct("old product");
        if (!outcome)
            f.server.onRequest = [&](const QString&) { f.run.abandon(); };
        QCOMPARE(f.downloadToEnd(), outcome);
        QCOMPARE(f.productContents(), QByteArray("old product"));
        QCOMPARE(f.folderEntries(), QStringList{"TessalyP3"});
    }

    // A run that was killed left the product aside and a staging folder.
    void leftoversOfAnInterruptedRun_data()
    {
        QTest::addColumn<bool>("newProductInPlace");
        QTest::addColumn<QByteArray>("product");
        QTest::newRow("product missing: put back") << false << QByteArray("old product");
        QTest::newRow("new product in place: aside dropped") << true << QByteArray("new product");
    }

    void leftoversOfAnInterruptedRun()
    {
        QFETCH(bool, newProductInPlace);
        QFETCH(QByteArray, product);
        RunFixture f(tessalyConfig());
        f.placeProduct("old product");
        QVERIFY(QFile::rename(f.productPath(), f.asidePath()));
        if (newProductInPlace)
            f.placeProduct("new product");
        QVERIFY(QDir(f.folder.path()).mkpath(".verup-staging-x1/new"));
        f.run.settleLeftovers();
        QCOMPARE(f.folderEntries(), QStringList{"TessalyP3"});
        QCOMPARE(f.productContents(), product);
    }

    void tessalyRefusesWhileTheProductRuns()
    {
        RunFixture f(tessalyConfig());
        f.setArchive(HttpRoute::file(TestArchive::make({{"TessalyP3", "new product"}})));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), f.productPath()));
        QProcess running;
        running.start(f.productPath(), {QStringLiteral("30")});
        QVERIFY(running.waitForStarted());
        const bool started = f.run.startDownload();
        running.kill();
        running.waitForFinished();
        QVERIFY(!started);
        QVERIFY(!f.run.isDownloading());
        QVERIFY(f.progress.isEmpty());
        QCOMPARE(f.folderEntries(), QStringList{"TessalyP3"});
        QTest::qWait(100);
        QVERIFY(f.server.requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUpdateRun)
#include "test_run.moc"
