#include "platform/inet/Inet.h"
#include "platform/inet/PageText.h"
#include "platform/shell/LegacyText.h"
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

    void executeReportsFailuresAsState11_data()
    {
        QTest::addColumn<HttpRoute>("route");
        QTest::newRow("short body") << HttpRoute{.body = randomBytes(102400), .announcedLength = 112640};
        QTest::newRow("announced but empty") << HttpRoute{.body = {}, .announcedLength = 1000};
        QTest::newRow("not found") << HttpRoute::page("<TITLE>404</TITLE>", 404);
        QTest::newRow("stall") << HttpRoute{.stall = true};
    }

    void executeReportsFailuresAsState11()
    {
        QFETCH(HttpRoute, route);
        HttpTestServer server;
        server.route("/a.lzh", route);
        Inet inet;
        inet.setTimeoutMs(500);
        QSignalSpy spy(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute(server.url("a.lzh")));
        QCOMPARE(finalState(spy), int(Inet::Error));
        QVERIFY(!inet.StillExecuting());
        QCOMPARE(inet.GetChunk(1024), QByteArray());
        QCOMPARE(inet.GetHeader("Content-length"), QString());
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
#include "test_platform_inet.moc"
