// The window's pure helpers: texts of rows, remote and local paths, replies,
// the server box and the Pass data file.
#include "platform/text/LegacyText.h"
#include "sendora/submission/DayRange.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ServerAddress.h"

#include <QDir>
#include <QTest>

using namespace BrowserText;

class TestBrowserText : public QObject
{
    Q_OBJECT
private slots:
    void attrText_data()
    {
        QTest::addColumn<quint32>("bits");
        QTest::addColumn<QString>("text");
        QTest::newRow("archive") << 0x20u << "a--w";
        QTest::newRow("archive read-only") << 0x21u << "a--r";
        QTest::newRow("directory bit not shown") << 0x10u << "---w";
        QTest::newRow("all four") << 0x27u << "ashr";
        QTest::newRow("other bits ignored") << 0xffff'ff00u << "---w";
    }
    void attrText()
    {
        QFETCH(quint32, bits);
        QFETCH(QString, text);
        QCOMPARE(AttrText(bits), text);
    }

    void remotePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("withSlash");
        QTest::newRow("three levels") << "/a/b/c"
                                      << "/a/b"
                                      << "/a/b/c/";
        QTest::newRow("one level") << "/a"
                                   << "/"
                                   << "/a/";
        QTest::newRow("trailing slash") << "/a/b/"
                                        << "/a/b"
                                        << "/a/b/";
        QTest::newRow("no slash") << "abc"
                                  << "abc"
                                  << "abc/";
        QTest::newRow("root") << "/"
                              << "/"
                              << "/";
        QTest::newRow("empty") << ""
                               << ""
                               << "/";
    }
    void remotePaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, withSlash);
        QCOMPARE(ParentPath(path), parent);
        QCOMPARE(AddSlash(path), withSlash);
        QCOMPARE(ReverseText(ReverseText(path)), path);
    }

    void localFileNames()
    {
        QCOMPARE(GetFileName(QStringLiteral("/home/a/x.txt")), QStringLiteral("x.txt"));
        QCOMPARE(GetFileName(QStringLiteral("x.txt")), QStringLiteral("x.txt"));
        QCOMPARE(GetFileName(QStringLiteral("/home/a/")), QString());
        QCOMPARE(GetFileName(QStringLiteral("/tmp/検証 データ.lzh")), QStringLiteral("検証 データ.lzh"));
        const QString sep = QDir::separator();
        QCOMPARE(withTrailingSeparator(QStringLiteral("/data")), QStringLiteral("/data") + sep);
        QCOMPARE(withTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
    }

    void dateText_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("date and time")
            << QDateTime(QDate(2008, 5, 17), QTime(13, 45, 30)) << "2008/05/17 13:45:30";
        QTest::newRow("single-digit hour")
            << QDateTime(QDate(2009, 2, 18), QTime(9, 5, 7)) << "2009/02/18 9:05:07";
        QTest::newRow("midnight") << QDateTime(QDate(2009, 2, 18), QTime(0, 0)) << "2009/02/18";
        QTest::newRow("zero date") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << "0:00:00";
        QTest::newRow("time on the zero date") << QDateTime(QDate(1899, 12, 30), QTime(6, 30)) << "6:30:00";
        QTest::newRow("no date at all") << QDateTime() << "0:00:00";
    }
    void dateText()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, text);
        QCOMPARE(DateText(value), text);
    }

    void newFolderName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("name");
        QTest::newRow("free") << QStringList{"a.txt"} << "新しいフォルダ";
        QTest::newRow("first two taken")
            << QStringList{"新しいフォルダ", "新しいフォルダ(1)"} << "新しいフォルダ(2)";
        QTest::newRow("only (1) taken") << QStringList{"新しいフォルダ(1)"} << "新しいフォルダ";
        QTest::newRow("gap") << QStringList{"新しいフォルダ", "新しいフォルダ(2)"} << "新しいフォルダ(1)";
    }
    void newFolderName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, name);
        QCOMPARE(NewFolderName(existing), name);
    }

    void replyLine_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one line") << "226 Transfer complete.\r\n"
                                  << "226 Transfer complete.";
        QTest::newRow("two lines") << "220 Welcome\r\n230 Login successful.\r\n"
                                   << "230 Login successful.";
        QTest::newRow("text after the last line end dropped") << "220 a\r\n230 b"
                                                              << "220 a";
        QTest::newRow("empty last line") << "220 a\r\n\r\n"
                                         << "";
        QTest::newRow("only a line end") << "\r\n"
                                         << "";
        QTest::newRow("no line end: shown whole") << "230 OK"
                                                  << "230 OK";
    }
    void replyLine()
    {
        QFETCH(QString, reply);
        QFETCH(QString, shown);
        QCOMPARE(ReplyLineToShow(reply), shown);
    }

    void dayCount()
    {
        const QDate today(2026, 3, 5);
        QCOMPARE(DayRange::dayCount(today.addDays(-30), today), 31);
        QCOMPARE(DayRange::dayCount(today, today), 1);
        QCOMPARE(DayRange::dayCount(today.addDays(1), today), 0);
    }

    void safeLocalNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << "a.txt" << true;
        QTest::newRow("japanese") << "検証データ.lzh" << true;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("slash") << "../x" << false;
        QTest::newRow("backslash") << "..\\x" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("empty") << "" << false;
    }
    void safeLocalNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(IsSafeLocalName(name), safe);
    }

    void serverAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host") << "ftp.example.jp"
                              << "ftp.example.jp" << 21;
        QTest::newRow("host and port") << "127.0.0.1:2121"
                                       << "127.0.0.1" << 2121;
        QTest::newRow("bare IPv6") << "::1"
                                   << "::1" << 21;
        QTest::newRow("bracketed IPv6 and port") << "[::1]:2121"
                                                 << "::1" << 2121;
        QTest::newRow("bracketed IPv6") << "[fe80::1]"
                                        << "fe80::1" << 21;
        QTest::newRow("port out of range stays in the host") << "h:70000"
                                                             << "h:70000" << 21;
        QTest::newRow("non-numeric port") << "h:ftp"
                                          << "h:ftp" << 21;
        QTest::newRow("empty") << ""
                               << "" << 21;
    }
    void serverAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        const ServerAddress address = ServerAddress::parse(text);
        QCOMPARE(address.host, host);
        QCOMPARE(address.port, port);
    }
};

QTEST_GUILESS_MAIN(TestBrowserText)
#include "test_text.moc"
