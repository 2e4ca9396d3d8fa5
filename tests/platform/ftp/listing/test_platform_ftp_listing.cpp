#include "platform/ftp/listing/FtpListingParser.h"

#include <QElapsedTimer>
#include <QTest>

Q_DECLARE_METATYPE(FtpNameEncoding)

namespace {

const QDate kToday(2024, 3, 15);

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// Flags: d = directory, l = symbolic link, r = read-only.
QString flagsOf(const FtpEntry& entry)
{
    QString flags;
    if (entry.isDirectory)
        flags += 'd';
    if (entry.isSymlink)
        flags += 'l';
    if (entry.readOnly)
        flags += 'r';
    return flags;
}

void addColumns()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<FtpNameEncoding>("encoding");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QDateTime>("modified");
}

void entryRow(const char* tag, const QByteArray& line, const QString& name, qint64 size, const QString& flags,
              const QDateTime& modified, const QDate& today = kToday,
              FtpNameEncoding encoding = FtpNameEncoding::Utf8)
{
    QTest::newRow(tag) << line << today << encoding << true << name << size << flags << modified;
}

void noEntryRow(const char* tag, const QByteArray& line)
{
    QTest::newRow(tag) << line << kToday << FtpNameEncoding::Utf8 << false << QString() << qint64(0)
                       << QString() << QDateTime();
}

void compareEntry(const std::optional<FtpEntry>& entry)
{
    QFETCH(bool, parsed);
    QCOMPARE(entry.has_value(), parsed);
    if (!parsed)
        return;
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, flags);
    QFETCH(QDateTime, modified);
    QCOMPARE(entry->name, name);
    QCOMPARE(entry->size, size);
    QCOMPARE(flagsOf(*entry), flags);
    QCOMPARE(entry->modified.isValid(), modified.isValid());
    if (modified.isValid()) {
        QCOMPARE(entry->modified.date(), modified.date());
        QCOMPARE(entry->modified.time(), modified.time());
    }
}

} // namespace

class TestFtpListing : public QObject
{
    Q_OBJECT
private slots:
    void unixLines_data();
    void unixLines() { listLine(); }
    void dosLines_data();
    void dosLines() { listLine(); }
    void eplfLines_data();
    void eplfLines() { listLine(); }
    void unparseableListLines_data();
    void unparseableListLines() { listLine(); }
    void mlsxLines_data();
    void mlsxLines();
    void mlsxCreationTime();
    void namesDecodeByEncodingAndKeepRawBytes_data();
    void namesDecodeByEncodingAndKeepRawBytes();
    void encodeNameRoundTrips();
    void yearlessDateWithoutTodayUsesTheClock();
    void wholeListingSkipsTotalsAndJunk();
    void wholeMlsdListing();
    void hostileInputStaysLinear();

private:
    void listLine();
};

void TestFtpListing::listLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QDate, today);
    QFETCH(FtpNameEncoding, encoding);
    compareEntry(FtpListingParser::parseListLine(line, today, encoding));
}

void TestFtpListing::unixLines_data()
{
    addColumns();
    entryRow("file this year", "-rw-r--r--   1 user  group      1234 Jan 31 12:00 file.txt", "file.txt", 1234,
             "", at(2024, 1, 31, 12, 0));
    entryRow("directory with year", "drwxr-xr-x   2 user  group      4096 Dec 24  2022 folder", "folder", 0,
             "d", at(2022, 12, 24));
    entryRow("CR LF kept off the name", "-rw-r--r-- 1 u g 5 Jan 31 12:00 crlf\r\n", "crlf", 5, "",
             at(2024, 1, 31, 12, 0));
    entryRow("tomorrow is this year", "-rw-r--r-- 1 u g 5 Mar 16 08:00 skew", "skew", 5, "",
             at(2024, 3, 16, 8, 0));
    entryRow("two days ahead is last year", "-rw-r--r-- 1 u g 5 Mar 17 08:00 old", "old", 5, "",
             at(2023, 3, 17, 8, 0));
    entryRow("29 February from a leap year", "-rw-r--r-- 1 u g 5 Feb 29 10:00 leap", "leap", 5, "",
             at(2024, 2, 29, 10, 0), QDate(2025, 3, 1));
    entryRow("29 February just ahead", "-rw-r--r-- 1 u g 5 Feb 29 10:00 leap", "leap", 5, "",
             at(2024, 2, 29, 10, 0), QDate(2024, 2, 28));
    entryRow("month in capitals", "-rw-r--r-- 1 u g 5 JAN 02 2019 caps", "caps", 5, "", at(2019, 1, 2));
    entryRow("no group column", "-rw-r--r-- 1 owner 77 Jan 31 12:00 a b", "a b", 77, "",
             at(2024, 1, 31, 12, 0));
    entryRow("numeric owner and group, read-only",
             "-r--r--r--    1 1000     1000            5 Jan 01  2020 ro.txt", "ro.txt", 5, "r",
             at(2020, 1, 1));
    entryRow("read-only directory", "dr-xr-xr-x 2 u g 4096 Jan 31 12:00 locked", "locked", 0, "dr",
             at(2024, 1, 31, 12, 0));
    entryRow("symbolic link", "lrwxrwxrwx 1 u g 11 Jan 31 12:00 link name -> target/x", "link name", 11, "l",
             at(2024, 1, 31, 12, 0));
    entryRow("arrow in a plain file's name", "-rw-r--r-- 1 u g 1 Jan 01 2020 a -> b", "a -> b", 1, "",
             at(2020, 1, 1));
    entryRow("character device", "crw-rw-rw- 1 root root 1,   3 Jan 31 12:00 null", "null", 0, "",
             at(2024, 1, 31, 12, 0));
    entryRow("block device, numbers joined", "brw-rw---- 1 root disk 8,0 Jan 31 12:00 sda", "sda", 0, "",
             at(2024, 1, 31, 12, 0));
    entryRow("ACL mark", "-rw-r--r--+ 1 u g 10 Jan 31 12:00 acl", "acl", 10, "", at(2024, 1, 31, 12, 0));
    entryRow("SELinux mark", "-rw-r--r--. 1 u g 10 Jan 31 12:00 ctx", "ctx", 10, "", at(2024, 1, 31, 12, 0));
    entryRow("ISO date", "-rw-r--r-- 1 u g 10 2024-01-31 12:00 iso", "iso", 10, "", at(2024, 1, 31, 12, 0));
    entryRow("full ISO time with zone", "-rw-r--r-- 1 u g 10 2024-01-31 12:00:05.123456789 +0900 full",
             "full", 10, "", at(2024, 1, 31, 12, 0, 5));
    entryRow("ISO date without time", "-rw-r--r-- 1 u g 10 2023-07-04 dateonly", "dateonly", 10, "",
             at(2023, 7, 4));
    entryRow("Japanese month, UTF-8", "-rw-r--r-- 1 u g 10  1\xE6\x9C\x88 31 12:00 jp", "jp", 10, "",
             at(2024, 1, 31, 12, 0));
    entryRow("Japanese month, CP932", "-rw-r--r-- 1 u g 10 12\x8C\x8E  5  2021 jp", "jp", 10, "",
             at(2021, 12, 5), kToday, FtpNameEncoding::Cp932);
    entryRow("numeric month after numeric owners", "-rw-r--r-- 1 3 4 2024 1 31 12:00 n", "n", 2024, "",
             at(2024, 1, 31, 12, 0));
    entryRow("size past 4 GiB", "-rw-r--r-- 1 u g 5368709120 Jan 31 12:00 big.iso", "big.iso", 5368709120LL,
             "", at(2024, 1, 31, 12, 0));
    entryRow("leading and trailing blanks", "-rw-r--r-- 1 u g 10 Jan 31 12:00   lead trail  ",
             "  lead trail  ", 10, "", at(2024, 1, 31, 12, 0));
    entryRow("name after a year keeps its blank", "-rw-r--r-- 1 u g 10 Jan 31  2020  x", " x", 10, "",
             at(2020, 1, 31));
    entryRow("name that looks like a date", "-rw-r--r-- 1 u g 10 Jan 31 12:00 Feb 1 2020", "Feb 1 2020", 10,
             "", at(2024, 1, 31, 12, 0));
    entryRow("owner named like a month", "-rw-r--r-- 1 May g 10 Jan 31 12:00 m", "m", 10, "",
             at(2024, 1, 31, 12, 0));
    entryRow("dot entries pass through", "drwxr-xr-x 2 u g 4096 Jan 31 12:00 ..", "..", 0, "d",
             at(2024, 1, 31, 12, 0));
    entryRow("impossible date keeps the entry", "-rw-r--r-- 1 u g 10 Feb 30 2020 odd", "odd", 10, "",
             QDateTime());
}

void TestFtpListing::dosLines_data()
{
    addColumns();
    entryRow("directory at noon", "01-31-24  12:00PM       <DIR>          folder", "folder", 0, "d",
             at(2024, 1, 31, 12, 0));
    entryRow("file at midnight", "01-31-24  12:00AM                 1234 file.txt", "file.txt", 1234, "",
             at(2024, 1, 31, 0, 0));
    entryRow("last minute of the century", "12-31-99  11:59PM                    5 old", "old", 5, "",
             at(1999, 12, 31, 23, 59));
    entryRow("four-digit year, 24-hour time", "01-31-2024  13:05           5368709120 big.iso", "big.iso",
             5368709120LL, "", at(2024, 1, 31, 13, 5));
    entryRow("AM/PM apart, lower case", "01-31-24  01:05 pm     7 spaced name", "spaced name", 7, "",
             at(2024, 1, 31, 13, 5));
    entryRow("file name with a leading blank", "01-31-24  09:15AM       10  lead", " lead", 10, "",
             at(2024, 1, 31, 9, 15));
    noEntryRow("month 13", "13-01-24  12:00PM    1 x");
    noEntryRow("13 PM", "01-31-24  13:00PM    1 x");
    noEntryRow("0 AM", "01-31-24  00:30AM    1 x");
    noEntryRow("size not a number", "01-31-24  12:00PM    1k x");
    noEntryRow("no name", "01-31-24  12:00PM       <DIR>");
}

void TestFtpListing::eplfLines_data()
{
    addColumns();
    entryRow("directory", "+i8388621.29609,m824255902,/,\tdev", "dev", 0, "d", at(1996, 2, 13, 23, 58, 22));
    entryRow("file", "+i8388621.44468,m839956783,r,s10376,\tRFCEPLF", "RFCEPLF", 10376, "",
             at(1996, 8, 13, 17, 19, 43));
    entryRow("read-only by mode", "+r,s5,up444,\tro", "ro", 5, "r", QDateTime());
    entryRow("blanks in the name", "+r,s1,\t two words ", " two words ", 1, "", QDateTime());
    entryRow("time out of range ignored", "+r,m99999999999999,\tfar", "far", 0, "", QDateTime());
    noEntryRow("no tab", "+r,s5, name");
    noEntryRow("empty name", "+r,s5,\t");
}

void TestFtpListing::unparseableListLines_data()
{
    addColumns();
    noEntryRow("empty", "");
    noEntryRow("total", "total 123");
    noEntryRow("prose", "This is not a listing");
    noEntryRow("mode only", "drwxr-xr-x");
    noEntryRow("cut before the date", "-rw-r--r-- 1 u g");
    noEntryRow("no name", "-rw-r--r-- 1 u g 10 Jan 31 12:00");
    noEntryRow("blank name", "-rw-r--r-- 1 u g 10 Jan 31 12:00 ");
    noEntryRow("size not a number", "-rw-r--r-- 1 u g x Jan 31 12:00 name");
    noEntryRow("size overflows", "-rw-r--r-- 1 u g 99999999999999999999 Jan 31 12:00 overflow");
    noEntryRow("day 32", "-rw-r--r-- 1 u g 10 Jan 32 12:00 name");
    noEntryRow("hour 24", "-rw-r--r-- 1 u g 10 Jan 31 24:00 name");
    noEntryRow("bad mode letter", "-rw-r--r-z 1 u g 10 Jan 31 12:00 name");
    noEntryRow("NUL in name", QByteArray("-rw-r--r-- 1 u g 10 Jan 31 12:00 a\0b", 37));
    noEntryRow("CR in name", "-rw-r--r-- 1 u g 10 Jan 31 12:00 a\rb");
    noEntryRow("plus alone", "+");
    noEntryRow("date alone", "01-31-24");
}

void TestFtpListing::mlsxLines_data()
{
    addColumns();
    entryRow("file", "type=file;size=1024;modify=20240131120000;perm=adfrw; file.txt", "file.txt", 1024, "",
             at(2024, 1, 31, 12, 0));
    entryRow("fact names in any case", "Type=DIR;Modify=20240131120000.123;Perm=flcdmpe; folder", "folder", 0,
             "d", at(2024, 1, 31, 12, 0));
    entryRow("current directory", "type=cdir;modify=20240101000000;perm=flcdmpe; /home/user", ".", 0, "d",
             at(2024, 1, 1));
    entryRow("parent directory", "type=pdir;modify=20240101000000;perm=flcdmpe; ..", "..", 0, "d",
             at(2024, 1, 1));
    entryRow("slink with target", "type=OS.unix=slink:/etc;modify=20240101000000; link", "link", 0, "l",
             at(2024, 1, 1));
    entryRow("symlink", "type=OS.unix=symlink;size=4; link2", "link2", 4, "l", QDateTime());
    entryRow("device is a plain entry", "type=OS.unix=chr-1/3;size=0; null", "null", 0, "", QDateTime());
    entryRow("blanks around the name", "type=file;size=5;perm=r;  lead and trail  ", " lead and trail  ", 5,
             "r", QDateTime());
    entryRow("appendable file is writable", "type=file;perm=ra; log", "log", 0, "", QDateTime());
    entryRow("directory without c or m", "type=dir;perm=elfd; ro dir", "ro dir", 0, "dr", QDateTime());
    entryRow("directory with m only", "type=dir;perm=elm; mk", "mk", 0, "d", QDateTime());
    entryRow("UNIX.mode without perm", "type=file;UNIX.mode=0444; mode ro", "mode ro", 0, "r", QDateTime());
    entryRow("perm wins over mode", "type=file;perm=rw;UNIX.mode=0444; rw", "rw", 0, "", QDateTime());
    entryRow("size past 4 GiB", "type=file;size=6442450944; big", "big", 6442450944LL, "", QDateTime());
    entryRow("directory size ignored", "type=dir;sizd=4096;size=4096; d", "d", 0, "d", QDateTime());
    entryRow("MLST reply indent", " type=file;size=3; mlst.txt", "mlst.txt", 3, "", QDateTime());
    entryRow("no facts", " bare", "bare", 0, "", QDateTime());
    entryRow("unknown facts ignored", "x.custom=1;type=file;unique=801U1A; u", "u", 0, "", QDateTime());
    entryRow("bad modify leaves no time", "type=file;modify=2024; t", "t", 0, "", QDateTime());
    entryRow("month 13 leaves no time", "type=file;modify=20241301000000; t", "t", 0, "", QDateTime());
    entryRow("bad size is unknown", "type=file;size=-1; s", "s", 0, "", QDateTime());
    entryRow("CR LF kept off the name", "type=file;size=1; crlf\r\n", "crlf", 1, "", QDateTime());
    noEntryRow("no name", "type=file;size=1;");
    noEntryRow("empty name", "type=file;size=1; ");
    noEntryRow("empty line", "");
}

void TestFtpListing::mlsxLines()
{
    QFETCH(QByteArray, line);
    QFETCH(FtpNameEncoding, encoding);
    compareEntry(FtpListingParser::parseMlsxLine(line, encoding));
}

void TestFtpListing::mlsxCreationTime()
{
    const auto entry = FtpListingParser::parseMlsxLine(
        "type=file;create=20200101010203;modify=20210101000000; c", FtpNameEncoding::Utf8);
    QVERIFY(entry);
    QCOMPARE(entry->created, at(2020, 1, 1, 1, 2, 3));
    QCOMPARE(entry->modified, at(2021, 1, 1));
    QVERIFY(!entry->accessed.isValid());
}

void TestFtpListing::namesDecodeByEncodingAndKeepRawBytes_data()
{
    QTest::addColumn<QByteArray>("rawName");
    QTest::addColumn<FtpNameEncoding>("encoding");
    QTest::addColumn<QString>("name");

    // 検証データ.lzh
    const QByteArray sjis("\x8C\x9F\x8F\xD8\x83\x66\x81\x5B\x83\x5E.lzh");
    const QString japanese = QStringLiteral("検証データ.lzh");
    QTest::newRow("CP932") << sjis << FtpNameEncoding::Cp932 << japanese;
    QTest::newRow("UTF-8") << japanese.toUtf8() << FtpNameEncoding::Utf8 << japanese;
    // 0x5C as second byte: ソ is 0x83 0x5C in CP932.
    QTest::newRow("CP932 trail byte 0x5C")
        << QByteArray("\x83\x5C.txt") << FtpNameEncoding::Cp932 << QStringLiteral("ソ.txt");
    QTest::newRow("ASCII") << QByteArray("plain~name.txt") << FtpNameEncoding::Cp932
                           << QStringLiteral("plain~name.txt");
    // Not valid in the session's encoding: the name shows something, the raw bytes stay exact.
    QTest::newRow("broken CP932") << QByteArray("bad\x81.txt") << FtpNameEncoding::Cp932 << QString();
    QTest::newRow("CP932 cut inside a character")
        << QByteArray("\x87") << FtpNameEncoding::Cp932 << QString(QChar::ReplacementCharacter);
    QTest::newRow("CP932 in a UTF-8 session") << sjis << FtpNameEncoding::Utf8 << QString();
}

void TestFtpListing::namesDecodeByEncodingAndKeepRawBytes()
{
    QFETCH(QByteArray, rawName);
    QFETCH(FtpNameEncoding, encoding);
    QFETCH(QString, name);

    const QList<QByteArray> lines = {
        "-rw-r--r-- 1 u g 5 Jan 31 12:00 " + rawName,
        "01-31-24  12:00PM   5 " + rawName,
        "+r,s5,\t" + rawName,
    };
    for (const QByteArray& line : lines) {
        const auto entry = FtpListingParser::parseListLine(line, kToday, encoding);
        QVERIFY2(entry, line.constData());
        QCOMPARE(entry->rawName, rawName);
        QVERIFY(!entry->name.isEmpty());
        if (!name.isNull())
            QCOMPARE(entry->name, name);
    }
    const auto mlsx = FtpListingParser::parseMlsxLine("type=file;size=5; " + rawName, encoding);
    QVERIFY(mlsx);
    QCOMPARE(mlsx->rawName, rawName);
    if (!name.isNull())
        QCOMPARE(mlsx->name, name);
}

void TestFtpListing::encodeNameRoundTrips()
{
    const QString name = QStringLiteral("検証データ ソ表.lzh");
    QCOMPARE(FtpListingParser::decodeName(FtpListingParser::encodeName(name, FtpNameEncoding::Cp932),
                                          FtpNameEncoding::Cp932),
             name);
    QCOMPARE(FtpListingParser::encodeName(name, FtpNameEncoding::Utf8), name.toUtf8());
}

void TestFtpListing::yearlessDateWithoutTodayUsesTheClock()
{
    const QDate now = QDate::currentDate();
    const auto entry = FtpListingParser::parseListLine("-rw-r--r-- 1 u g 5 Jan 01 00:00 newyear", QDate(),
                                                       FtpNameEncoding::Utf8);
    QVERIFY(entry);
    QCOMPARE(entry->modified.date(), QDate(now.year(), 1, 1));
}

void TestFtpListing::wholeListingSkipsTotalsAndJunk()
{
    const QByteArray body = "total 12\r\n"
                            "drwxr-xr-x   2 u g 4096 Jan 31 12:00 .\r\n"
                            "drwxr-xr-x   3 u g 4096 Jan 31 12:00 ..\r\n"
                            "\r\n"
                            "-rw-r--r--   1 u g   10 Jan 31 12:00 one\r\n"
                            "garbage line\r\n"
                            "01-31-24  12:00PM       <DIR>          two\n"
                            "+r,s3,\tthree\n"
                            "-rw-r--r--   1 u g   10 Jan 31 12:00 four";
    const QList<FtpEntry> entries =
        FtpListingParser::parseListing(body, false, kToday, FtpNameEncoding::Utf8);
    QStringList names;
    for (const FtpEntry& entry : entries)
        names << entry.name;
    QCOMPARE(names, QStringList({".", "..", "one", "two", "three", "four"}));
    QVERIFY(FtpListingParser::parseListing({}, false, kToday, FtpNameEncoding::Utf8).isEmpty());
}

void TestFtpListing::wholeMlsdListing()
{
    const QByteArray body = "type=cdir;perm=el; /pub\r\n"
                            "type=file;size=3; a\r\n"
                            "nonsense\r\n"
                            "type=dir; b \r\n";
    const QList<FtpEntry> entries = FtpListingParser::parseListing(body, true, kToday, FtpNameEncoding::Utf8);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].name, QStringLiteral("."));
    QCOMPARE(entries[1].size, 3);
    QCOMPARE(entries[2].name, QStringLiteral("b "));
    QVERIFY(entries[2].isDirectory);
}

void TestFtpListing::hostileInputStaysLinear()
{
    // Long lines made of what the parsers look for, and a long listing: each
    // must finish promptly (a quadratic scan would take minutes here).
    const QList<QByteArray> lines = {
        "-rw-r--r-- " + QByteArray(2'000'000, ' ') + "1",
        "-rw-r--r-- " + QByteArray("1 Jan ").repeated(300'000),
        "-rw-r--r-- 1 u g 1 Jan 31 12:00 " + QByteArray(" -> ").repeated(300'000),
        "+" + QByteArray("s1,").repeated(500'000) + "\tname",
        QByteArray("type=file;").repeated(300'000) + " name",
        "01-31-24  12:00PM " + QByteArray(2'000'000, ' '),
    };
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& line : lines) {
        FtpListingParser::parseListLine(line, kToday, FtpNameEncoding::Cp932);
        FtpListingParser::parseMlsxLine(line, FtpNameEncoding::Cp932);
    }
    QByteArray listing;
    for (int i = 0; i < 100'000; ++i)
        listing += "-rw-r--r--   1 ftp ftp " + QByteArray::number(i) + " Jan 31 12:00 file" +
                   QByteArray::number(i) + "\r\n";
    QCOMPARE(FtpListingParser::parseListing(listing, false, kToday, FtpNameEncoding::Cp932).size(), 100'000);
    QVERIFY2(timer.elapsed() < 20'000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestFtpListing)
#include "test_platform_ftp_listing.moc"
