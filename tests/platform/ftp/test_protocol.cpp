#include "platform/ftp/FtpLineEnds.h"
#include "platform/ftp/FtpReplyParsing.h"
#include "platform/ftp/FtpReplyReader.h"
#include "platform/ftp/FtpWildcard.h"

#include <QTest>

// The pure parts of the FTP client: reply framing, values inside replies,
// ASCII line ends and our wildcard matching.
class TestFtpProtocolUnits : public QObject
{
    Q_OBJECT

private:
    // Feeds the input in pieces of `piece` bytes and collects every reply.
    static QList<FtpReply> readAll(const QByteArray& input, qsizetype piece,
                                   FtpReplyReader::Status* last = nullptr)
    {
        FtpReplyReader reader;
        QList<FtpReply> replies;
        FtpReplyReader::Status status = FtpReplyReader::Status::NeedMore;
        for (qsizetype pos = 0; pos < input.size(); pos += piece) {
            reader.feed(input.mid(pos, piece));
            FtpReply reply;
            while ((status = reader.next(reply)) == FtpReplyReader::Status::Ready)
                replies.append(reply);
            if (status == FtpReplyReader::Status::Error)
                break;
        }
        if (last)
            *last = status;
        return replies;
    }

private slots:
    void replyFraming_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QByteArray>("firstText");

        QTest::newRow("single") << QByteArray("220 Ready\r\n") << QList<int>{220}
                                << QByteArray("220 Ready\r\n");
        QTest::newRow("bare code") << QByteArray("200\r\n") << QList<int>{200} << QByteArray("200\r\n");
        QTest::newRow("LF only") << QByteArray("220-Hello\n there\n220 Ready\n") << QList<int>{220}
                                 << QByteArray("220-Hello\r\n there\r\n220 Ready\r\n");
        QTest::newRow("indented fake terminator")
            << QByteArray(
                   "220-Welcome\r\n 220 not the end\r\n230 other code\r\n220-still going\r\n220 End\r\n")
            << QList<int>{220}
            << QByteArray(
                   "220-Welcome\r\n 220 not the end\r\n230 other code\r\n220-still going\r\n220 End\r\n");
        QTest::newRow("lines without code")
            << QByteArray("211-Features:\r\n UTF8\r\nMLST\r\n211 End\r\n") << QList<int>{211}
            << QByteArray("211-Features:\r\n UTF8\r\nMLST\r\n211 End\r\n");
        QTest::newRow("coalesced") << QByteArray("150 Opening\r\n226 Done\r\n") << QList<int>{150, 226}
                                   << QByteArray("150 Opening\r\n");
        QTest::newRow("NUL and control bytes kept")
            << QByteArray("220 a\0b\x01\x7f c\r\n", 13) << QList<int>{220}
            << QByteArray("220 a\0b\x01\x7f c\r\n", 13);
        QTest::newRow("bare code terminates multi-line")
            << QByteArray("250-a\r\n250\r\n331 next\r\n") << QList<int>{250, 331}
            << QByteArray("250-a\r\n250\r\n");
    }

    void replyFraming()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<int>, codes);
        QFETCH(QByteArray, firstText);
        // Whole, split in two everywhere, and one byte at a time: the same replies.
        for (qsizetype piece : {input.size(), qsizetype(1), qsizetype(2), qsizetype(7)}) {
            FtpReplyReader::Status status;
            const QList<FtpReply> replies = readAll(input, piece, &status);
            QCOMPARE(status, FtpReplyReader::Status::NeedMore);
            QList<int> got;
            for (const FtpReply& reply : replies)
                got.append(reply.code);
            QCOMPARE(got, codes);
            QCOMPARE(replies.first().text, firstText);
        }
    }

    void replyErrors_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("no code") << QByteArray("Hello there\r\n");
        QTest::newRow("code out of range") << QByteArray("999 What\r\n");
        QTest::newRow("glued text") << QByteArray("220Ready\r\n");
    }

    void replyErrors()
    {
        QFETCH(QByteArray, input);
        FtpReplyReader::Status status;
        const QList<FtpReply> replies = readAll(input, 4096, &status);
        QVERIFY(replies.isEmpty());
        QCOMPARE(status, FtpReplyReader::Status::Error);
    }

    // The cap guards memory: a longer reply is read to its end, keeps what fits
    // and the conversation goes on with the next reply.
    void longReplies_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("head"); // empty: the reply has not ended
        QByteArray features = "211-Features:\r\n";
        for (int i = 0; i < 5000; ++i)
            features += " FEATURE" + QByteArray::number(i) + "\r\n";
        QTest::newRow("long multi-line") << features + "211 End\r\n230 next\r\n"
                                         << QByteArray("211-Features:\r\n FEATURE0");
        QTest::newRow("over-long last line")
            << QByteArray("250-a\r\n250 ") + QByteArray(70000, 'y') + "\r\n230 next\r\n"
            << QByteArray("250-a\r\n250 yyy");
        QTest::newRow("over-long line without end")
            << QByteArray("220 ") + QByteArray(70000, 'x') << QByteArray();
    }

    void longReplies()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, head);
        for (qsizetype piece : {input.size(), qsizetype(7)}) {
            FtpReplyReader::Status status;
            const QList<FtpReply> replies = readAll(input, piece, &status);
            QCOMPARE(status, FtpReplyReader::Status::NeedMore);
            QCOMPARE(replies.size(), head.isEmpty() ? 0 : 2);
            if (head.isEmpty())
                continue;
            QVERIFY(replies.first().truncated && replies.first().text.startsWith(head));
            QVERIFY(replies.first().text.size() <= FtpReplyReader::kDefaultMaxReplySize);
            QCOMPARE(replies.last().text, QByteArray("230 next\r\n"));
        }
    }

    void replyReaderNeedsWholeLine()
    {
        FtpReplyReader reader;
        reader.feed("226 Transfer compl");
        FtpReply reply;
        QCOMPARE(reader.next(reply), FtpReplyReader::Status::NeedMore);
        reader.feed("ete\r");
        QCOMPARE(reader.next(reply), FtpReplyReader::Status::NeedMore);
        reader.feed("\n");
        QCOMPARE(reader.next(reply), FtpReplyReader::Status::Ready);
        QCOMPARE(reply.text, QByteArray("226 Transfer complete\r\n"));
        QCOMPARE(reader.pendingBytes(), 0);
    }

    void pasv_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("usual") << QByteArray("227 Entering Passive Mode (192,168,1,2,19,137)\r\n")
                               << QStringLiteral("192.168.1.2") << 5001;
        QTest::newRow("no parentheses")
            << QByteArray("227 Entering Passive Mode 10,0,0,1,0,21\r\n") << QStringLiteral("10.0.0.1") << 21;
        QTest::newRow("blanks") << QByteArray("227 =127, 0, 0, 1, 4, 1\r\n") << QStringLiteral("127.0.0.1")
                                << 1025;
        QTest::newRow("octet too big") << QByteArray("227 (300,1,1,1,1,1)\r\n") << QString() << 0;
        QTest::newRow("five numbers") << QByteArray("227 (1,1,1,1,1)\r\n") << QString() << 0;
        QTest::newRow("port zero") << QByteArray("227 (1,2,3,4,0,0)\r\n") << QString() << 0;
    }

    void pasv()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, address);
        QFETCH(int, port);
        const auto parsed = FtpReplyParsing::parsePasv(text);
        QCOMPARE(parsed.has_value(), !address.isEmpty());
        if (parsed) {
            QCOMPARE(parsed->address, QHostAddress(address));
            QCOMPARE(int(parsed->port), port);
        }
    }

    void epsv_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("usual") << QByteArray("229 Entering Extended Passive Mode (|||6446|)\r\n") << 6446;
        QTest::newRow("other delimiter") << QByteArray("229 ok (!!!21!)\r\n") << 21;
        QTest::newRow("mixed delimiters") << QByteArray("229 ok (|!|21|)\r\n") << 0;
        QTest::newRow("too large") << QByteArray("229 ok (|||70000|)\r\n") << 0;
        QTest::newRow("not a number") << QByteArray("229 ok (|||12a|)\r\n") << 0;
        QTest::newRow("empty") << QByteArray("229 ok ()\r\n") << 0;
    }

    void epsv()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, port);
        const auto parsed = FtpReplyParsing::parseEpsv(text);
        QCOMPARE(parsed.value_or(0), port);
    }

    void pwd_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dir");
        QTest::newRow("usual") << QByteArray("257 \"/home/user\" is current\r\n") << QByteArray("/home/user");
        QTest::newRow("doubled quotes")
            << QByteArray("257 \"/a \"\"b\"\" c\" is current\r\n") << QByteArray("/a \"b\" c");
        QTest::newRow("unclosed quote") << QByteArray("257 \"/pub/data  \r\n") << QByteArray("/pub/data");
        QTest::newRow("text before quote")
            << QByteArray("257 Current directory is \"/x y\"\r\n") << QByteArray("/x y");
        QTest::newRow("no quotes") << QByteArray("257 /srv/ftp is your directory\r\n")
                                   << QByteArray("/srv/ftp");
        QTest::newRow("root") << QByteArray("257 \"/\"\r\n") << QByteArray("/");
        QTest::newRow("multi-line") << QByteArray("257-\"/first\"\r\n257 second\r\n") << QByteArray("/first");
    }

    void pwd()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dir);
        QCOMPARE(FtpReplyParsing::parsePwd(text).value_or("<none>"), dir);
    }

    void sizes_data()
    {
        QTest::addColumn<QByteArray>("text"); // a 213 reply to SIZE, or a 150 opening a transfer
        QTest::addColumn<qint64>("size");     // -1: none
        QTest::newRow("SIZE") << QByteArray("213 3000000000\r\n") << qint64(3000000000);
        QTest::newRow("SIZE with text") << QByteArray("213 5000 bytes\r\n") << qint64(-1);
        QTest::newRow("SIZE overflowing") << QByteArray("213 99999999999999999999\r\n") << qint64(-1);
        QTest::newRow("150 with size")
            << QByteArray("150 Opening BINARY mode for a (b) (5000 Bytes).\r\n") << qint64(5000);
        QTest::newRow("150 number without unit") << QByteArray("150 Opening (5000)\r\n") << qint64(-1);
    }

    void sizes()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, size);
        const auto parsed = text.startsWith("213") ? FtpReplyParsing::parseSize(text)
                                                   : FtpReplyParsing::parseTransferSize(text);
        QCOMPARE(parsed.value_or(-1), size);
    }

    void features()
    {
        const auto both = FtpReplyParsing::parseFeatures(
            "211-Features:\r\n MDTM\r\n MLST type*;size*;modify*;\r\n utf8\r\n211 End\r\n");
        QVERIFY(both.utf8);
        QVERIFY(both.mlst);
        QVERIFY(!both.authTls);
        // Only indented lines are features; the first line is the reply's own text.
        const auto none = FtpReplyParsing::parseFeatures("211-UTF8 MLST\r\nUTF8\r\n SIZE\r\n211 End\r\n");
        QVERIFY(!none.utf8);
        QVERIFY(!none.mlst);
        // AUTH lists its mechanisms in more than one way; TLS-C is another name for TLS.
        for (const char* line : {" AUTH TLS", " auth ssl;tls;", " AUTH SSL, TLS-C"})
            QVERIFY(FtpReplyParsing::parseFeatures(QByteArray("211-Features:\r\n") + line + "\r\n211 End\r\n")
                        .authTls);
        for (const char* line : {" AUTH SSL", " AUTH TLSX", " PROT"})
            QVERIFY(
                !FtpReplyParsing::parseFeatures(QByteArray("211-Features:\r\n") + line + "\r\n211 End\r\n")
                     .authTls);
    }

    void asciiLineEnds_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("local");
        QTest::newRow("lines") << QByteArray("a\r\nb\r\n") << QByteArray("a\nb\n");
        QTest::newRow("lone CR kept") << QByteArray("a\rb\r\n") << QByteArray("a\rb\n");
        QTest::newRow("CR at the end") << QByteArray("a\r") << QByteArray("a\r");
        QTest::newRow("CR CR LF") << QByteArray("\r\r\n") << QByteArray("\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }

    void asciiLineEnds()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QByteArray, local);
#ifdef Q_OS_WIN
        local = wire;
#endif
        // Every split of the wire bytes into two blocks decodes alike.
        for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
            FtpAsciiDecoder decoder;
            QByteArray out;
            decoder.convert(wire.constData(), cut, out);
            decoder.convert(wire.constData() + cut, wire.size() - cut, out);
            decoder.finish(out);
            QCOMPARE(out, local);
        }
    }

    void asciiEncoding()
    {
        const QByteArray local = "one\ntwo\r\nthree\n\n";
#ifdef Q_OS_WIN
        const QByteArray wire = local;
#else
        const QByteArray wire = "one\r\ntwo\r\nthree\r\n\r\n";
#endif
        for (qsizetype cut = 0; cut <= local.size(); ++cut) {
            FtpAsciiEncoder encoder;
            QByteArray out;
            encoder.convert(local.constData(), cut, out);
            encoder.convert(local.constData() + cut, local.size() - cut, out);
            QCOMPARE(out, wire);
        }
    }

    void wildcards_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("star") << "*.lzh"
                              << "Qorlith.lzh" << true;
        QTest::newRow("star no match") << "*.lzh"
                                       << "Qorlith.lzh.txt" << false;
        QTest::newRow("case") << "*.LZH"
                              << "Qorlith.lzh" << false;
        QTest::newRow("question") << "a?c"
                                  << "abc" << true;
        QTest::newRow("question needs one") << "a?c"
                                            << "ac" << false;
        QTest::newRow("backtrack") << "*a*b"
                                   << "xaxxab" << true;
        QTest::newRow("japanese") << "データ*"
                                  << "データ01.txt" << true;
        QTest::newRow("empty name") << "*"
                                    << "" << true;
    }

    void wildcards()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(FtpWildcard::matches(pattern, name), match);
    }
};

QTEST_GUILESS_MAIN(TestFtpProtocolUnits)
#include "test_protocol.moc"
