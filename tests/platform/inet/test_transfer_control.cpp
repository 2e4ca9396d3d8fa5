#include "platform/inet/BodyBound.h"
#include "platform/inet/Inet.h"
#include "platform/inet/LowSpeedRule.h"
#include "platform/inet/PageText.h"
#include "platform/text/LegacyText.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/support/http/HttpTestServer.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (auto& b : bytes)
        b = static_cast<char>(generator.generate() & 0xFF);
    return bytes;
}

// Waits for the control's final state (11 or 12).
int finalState(QSignalSpy& spy, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const auto& args : spy) {
            const int state = args.at(0).toInt();
            if (state == Inet::Error || state == Inet::ResponseCompleted)
                return state;
        }
        spy.wait(100);
    }
    return -1;
}

QByteArray drain(Inet& inet, QList<int>* sizes = nullptr)
{
    QByteArray all;
    while (true) {
        const QByteArray piece = inet.GetChunk(1024);
        if (sizes)
            sizes->append(piece.size());
        if (piece.isEmpty())
            return all;
        all += piece;
    }
}

} // namespace

class TestPlatformInet : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::isolate(); }

    void pageTextFollowsDeclaredCharset_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("contentType");
        const QString text = QStringLiteral("更新履歴");
        const QByteArray sjis = *LegacyText::encode(text);
        QTest::newRow("no declaration: legacy code page")
            << QByteArray("<p>" + sjis + "</p>") << QByteArray("text/html");
        QTest::newRow("header names utf-8")
            << QByteArray("<p>" + text.toUtf8() + "</p>") << QByteArray("text/html; charset=UTF-8");
        QTest::newRow("header wins over meta") << QByteArray("<meta charset=\"utf-8\"><p>" + sjis + "</p>")
                                               << QByteArray("text/html;charset=Shift_JIS");
        QTest::newRow("meta http-equiv")
            << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\"><p>" +
                          text.toUtf8() + "</p>")
            << QByteArray("text/html");
        QTest::newRow("meta charset shift_jis")
            << QByteArray("<meta charset='x-sjis'><p>" + sjis + "</p>") << QByteArray();
        QTest::newRow("utf-8 byte order mark")
            << QByteArray("\xEF\xBB\xBF<p>" + text.toUtf8() + "</p>") << QByteArray("text/html");
        QTest::newRow("unknown charset falls back")
            << QByteArray("<p>" + sjis + "</p>") << QByteArray("text/html; charset=no-such-set");
    }

    void pageTextFollowsDeclaredCharset()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, contentType);
        QVERIFY(PageText::decode(page, contentType).contains(QStringLiteral("<p>更新履歴</p>")));
    }

    void openUrlReturnsThePageOrNothing()
    {
        HttpTestServer server;
        QVERIFY(server.isListening());
        HttpRoute japanese =
            HttpRoute::page(*LegacyText::encode(QStringLiteral("<TITLE>105</TITLE>お知らせ")));
        server.route("/ok.html", japanese);
        server.route("/moved.html", HttpRoute{.redirectTo = server.url("ok.html").toLatin1()});
        server.route("/missing.html", HttpRoute::page("<TITLE>404</TITLE>", 404));
        server.route("/error.html", HttpRoute::page("<TITLE>500</TITLE>", 500));
        server.route("/short.html", HttpRoute{.body = "<TITLE>105", .announcedLength = 500});

        Inet inet;
        inet.setTimeoutMs(2000);
        QCOMPARE(inet.OpenURL(server.url("ok.html")), QStringLiteral("<TITLE>105</TITLE>お知らせ"));
        QCOMPARE(inet.OpenURL(server.url("moved.html")), QStringLiteral("<TITLE>105</TITLE>お知らせ"));
        QCOMPARE(inet.OpenURL(server.url("missing.html")), QString());
        QCOMPARE(inet.OpenURL(server.url("error.html")), QString());
        QCOMPARE(inet.OpenURL(server.url("short.html")), QString());
        QCOMPARE(inet.OpenURL(QStringLiteral("not a url")), QString());
        QCOMPARE(server.requests, QStringList({"/ok.html", "/moved.html", "/ok.html", "/missing.html",
                                               "/error.html", "/short.html"}));
    }

    void openUrlGivesUpOnSilentAndClosedServers()
    {
        HttpTestServer server;
        server.route("/stall.html", HttpRoute{.stall = true});
        Inet inet;
        inet.setTimeoutMs(500);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(inet.OpenURL(server.url("stall.html")), QString());
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));

        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        QCOMPARE(inet.OpenURL(QStringLiteral("http://127.0.0.1:%1/v.html").arg(closedPort)), QString());
    }

    void openUrlRefusesHugePages()
    {
        HttpTestServer server;
        server.route("/big.html", HttpRoute::page(QByteArray(64 * 1024, 'x')));
        Inet inet;
        inet.setPageLimitBytes(16 * 1024);
        QCOMPARE(inet.OpenURL(server.url("big.html")), QString());
    }

    void executeBuffersTheBodyAndHandsItOutInPieces_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("two full pieces") << 2048 << QList<int>{1024, 1024, 0};
        QTest::newRow("last piece short") << 3000 << QList<int>{1024, 1024, 952, 0};
        QTest::newRow("empty body") << 0 << QList<int>{0};
    }

    void executeBuffersTheBodyAndHandsItOutInPieces()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, pieces);
        HttpTestServer server;
        const QByteArray body = randomBytes(size);
        server.route("/a.lzh", HttpRoute::file(body));
        Inet inet;
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("a.lzh"), "GET"));
        QVERIFY(inet.StillExecuting());
        QVERIFY(!inet.Execute(server.url("a.lzh"), "GET"));
        QCOMPARE(finalState(spy), int(Inet::ResponseCompleted));
        QCOMPARE(spy.count(QList<QVariant>{int(Inet::ResponseCompleted)}), 1);
        QCOMPARE(inet.GetHeader("Content-length"), QString::number(size));
        QCOMPARE(inet.GetHeader("CONTENT-LENGTH"), QString::number(size));
        QCOMPARE(inet.GetHeader("X-Absent"), QString());
        QList<int> sizes;
        QCOMPARE(drain(inet, &sizes), body);
        QCOMPARE(sizes, pieces);
        QCOMPARE(server.requests.size(), 1);
    }

    void executeFollowsRedirectsAndCarriesLargeBodies()
    {
        HttpTestServer server;
        const QByteArray body = randomBytes(6 * 1024 * 1024 + 17);
        server.route("/big.lzh", HttpRoute::file(body));
        server.route("/old.lzh", HttpRoute{.redirectTo = server.url("big.lzh").toLatin1()});
        Inet inet;
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("old.lzh")));
        QCOMPARE(finalState(spy, 30000), int(Inet::ResponseCompleted));
        QCOMPARE(inet.GetHeader("content-length"), QString::number(body.size()));
        QCOMPARE(drain(inet), body);
    }

    // Servers that compress whatever the request allows would leave the archive
    // without its Content-length: both fetches ask for the body as stored.
    void compressingServerSendsTheBodyAsStored()
    {
        HttpTestServer server;
        server.compressWhenAllowed = true;
        const QByteArray body = QByteArray("LHA archive body ").repeated(500);
        server.route("/a.lzh", HttpRoute::file(body));
        server.route("/v.html", HttpRoute::page("<TITLE>105</TITLE>" + QByteArray(2000, ' ')));
        Inet inet;
        QCOMPARE(inet.OpenURL(server.url("v.html")).left(18), QStringLiteral("<TITLE>105</TITLE>"));
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("a.lzh")));
        QCOMPARE(finalState(spy), int(Inet::ResponseCompleted));
        QCOMPARE(drain(inet), body);
        QCOMPARE(inet.GetHeader("Content-length"), QString::number(body.size()));
        QCOMPARE(server.compressedAnswers, 0);
    }

    void bodyBoundTakesTheAnnouncedLengthOnly_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("length"); // -1: refused at the headers
        QTest::newRow("plain") << QByteArray("2048") << qint64(2048);
        QTest::newRow("blanks around") << QByteArray(" 12 ") << qint64(12);
        QTest::newRow("zero") << QByteArray("0") << qint64(0);
        QTest::newRow("at the limit") << QByteArray("100000") << qint64(100000);
        QTest::newRow("absent") << QByteArray() << qint64(-1);
        QTest::newRow("above the limit") << QByteArray("100001") << qint64(-1);
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << qint64(-1);
        QTest::newRow("negative") << QByteArray("-1") << qint64(-1);
        QTest::newRow("signed") << QByteArray("+12") << qint64(-1);
        QTest::newRow("listed twice") << QByteArray("12, 12") << qint64(-1);
        QTest::newRow("not a number") << QByteArray("abc") << qint64(-1);
    }

    void bodyBoundTakesTheAnnouncedLengthOnly()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, length);
        BodyBound bound(100000);
        QCOMPARE(bound.announce(header), length >= 0);
        if (length < 0) {
            QVERIFY(!bound.take(0));
            return;
        }
        QVERIFY(bound.take(length / 2));
        QVERIFY(bound.take(length - length / 2));
        QVERIFY(!bound.take(1));
    }

    // Samples every 100 ms of a line's byte count; the first sample that fails, or -1.
    void lowSpeedRuleEndsOnlyStalledLines_data()
    {
        QTest::addColumn<QList<int>>("bytesPerSample");
        QTest::addColumn<int>("failsAt");
        // Limit 100 bytes per second over a period of 1 s.
        QTest::newRow("steady above the limit") << QList<int>(50, 20) << -1;
        QTest::newRow("exactly the limit") << QList<int>(50, 10) << -1;
        QTest::newRow("a drip") << QList<int>(50, 1) << 10;
        QTest::newRow("nothing at all") << QList<int>(50, 0) << 10;
        QList<int> stall = QList<int>(20, 30) + QList<int>(30, 0);
        QTest::newRow("stops after a good start") << stall << 27;
        QList<int> pause = QList<int>(10, 30) + QList<int>(5, 0) + QList<int>(35, 30);
        QTest::newRow("a short pause is forgiven") << pause << -1;
    }

    void lowSpeedRuleEndsOnlyStalledLines()
    {
        QFETCH(QList<int>, bytesPerSample);
        QFETCH(int, failsAt);
        LowSpeedRule rule(100, 1000);
        rule.start(5000, 0);
        qint64 total = 0;
        int failed = -1;
        for (int i = 0; i < bytesPerSample.size() && failed < 0; ++i) {
            total += bytesPerSample.at(i);
            if (!rule.keepsUp(5000 + (i + 1) * 100, total))
                failed = i + 1;
        }
        QCOMPARE(failed, failsAt);
    }

    void executeReportsFailuresAsState11_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QTest::newRow("short body") << HttpRoute{.body = randomBytes(102400), .announcedLength = 112640};
        QTest::newRow("announced but empty") << HttpRoute{.body = {}, .announcedLength = 1000};
        QTest::newRow("not found") << HttpRoute::page("<TITLE>404</TITLE>", 404);
        QTest::newRow("stall") << HttpRoute{.stall = true};
        // Refused at the headers, long before the body would end.
        QTest::newRow("no length, body still coming") << HttpRoute{
            .body = randomBytes(40000), .sendLength = false, .dripBytes = 100, .dripIntervalMs = 50};
        QTest::newRow("below the low speed")
            << HttpRoute{.body = randomBytes(6000), .dripBytes = 10, .dripIntervalMs = 100};
    }

    void executeReportsFailuresAsState11()
    {
        QFETCH(HttpRoute, route);
        HttpTestServer server;
        server.route("/a.lzh", route);
        Inet inet;
        inet.setTimeoutMs(500);
        inet.setLowSpeedLimit(1000, 1000);
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(inet.Execute(server.url("a.lzh")));
        QCOMPARE(finalState(spy), int(Inet::Error));
        QVERIFY2(timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!inet.StillExecuting());
        QCOMPARE(inet.GetChunk(1024), QByteArray());
        QCOMPARE(inet.GetHeader("Content-length"), QString());
    }

    void slowButSteadyDownloadCompletes()
    {
        HttpTestServer server;
        const QByteArray body = randomBytes(40000);
        server.route("/a.lzh", HttpRoute{.body = body, .dripBytes = 2000, .dripIntervalMs = 50});
        Inet inet;
        // Lasts about three periods at forty times the limit.
        inet.setLowSpeedLimit(1000, 300);
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("a.lzh")));
        QCOMPARE(finalState(spy), int(Inet::ResponseCompleted));
        QCOMPARE(drain(inet), body);
    }

    void cancelDropsTheRequestSilently()
    {
        HttpTestServer server;
        server.route("/a.lzh", HttpRoute{.stall = true});
        Inet inet;
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("a.lzh")));
        QTRY_COMPARE(server.requests.size(), 1);
        inet.Cancel();
        QVERIFY(!inet.StillExecuting());
        QTest::qWait(200);
        QCOMPARE(spy.count(QList<QVariant>{int(Inet::Error)}), 0);
        QCOMPARE(spy.count(QList<QVariant>{int(Inet::ResponseCompleted)}), 0);
        QVERIFY(!inet.Execute(QStringLiteral("bad url")));
    }
};

QTEST_GUILESS_MAIN(TestPlatformInet)
#include "test_transfer_control.moc"
