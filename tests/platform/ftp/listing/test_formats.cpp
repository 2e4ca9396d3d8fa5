#include "platform/ftp/listing/CommonUnixLine.h"
#include "platform/ftp/listing/FtpListingParser.h"
#include "platform/ftp/listing/FtpListingReader.h"
#include "platform/ftp/listing/ListLine.h"

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
    void commonUnixLinesReadAsInFull_data();
    void commonUnixLinesReadAsInFull();
    void dosLines_data();
    void dosLines() { listLine(); }
    void eplfLines_data();
    void eplfLines() { listLine(); }
    void serverFamilies_data();
    void serverFamilies() { listLine(); }
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
    void readerTakesBlocksCutAnywhere();
    void readerBoundsEntriesAndLines();

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

// The one-pass reading takes the line nearly every server sends and gives
// what the full search gives; lines where that search could find its date
// elsewhere are left to it.
void TestFtpListing::commonUnixLinesReadAsInFull_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<FtpNameEncoding>("encoding");
    QTest::addColumn<bool>("taken");
    const auto taken = [](const char* tag, const QByteArray& line,
                          FtpNameEncoding encoding = FtpNameEncoding::Utf8) {
        QTest::newRow(tag) << line << encoding << true;
    };
    const auto left = [](const char* tag, const QByteArray& line) {
        QTest::newRow(tag) << line << FtpNameEncoding::Utf8 << false;
    };
    taken("numeric owner and group",
          "-rw-r--r--    1 1001     1001           99 Mar 15 12:00 entry_0099.dat");
    taken("named owner, year", "drwxr-xr-x   2 ftp      ftp          4096 Dec 31  2023 pub");
    taken("later in the year than today: last year", "-rw-r--r-- 1 u g 5 Dec 24 12:00 x");
    taken("24:00", "-r--r--r-- 1 u g 5 Mar 14 24:00 midnight");
    taken("impossible date", "-rw-r--r-- 1 u g 5 Feb 30 2020 odd");
    taken("link", "lrwxrwxrwx 1 root root 11 Jan 01 2020 www -> public_html");
    taken("tabs, blanks kept in the name", "-rw-r--r--\t1\tu\tg\t5\tMar\t14\t09:30\t  spaced name ");
    taken("owner named like a month beside a group name", "-rw-r--r-- 1 jan staff 2048 Mar 15 12:00 x");
    taken("CP932 name", "-rw-r--r-- 1 u g 5 Mar 15 12:00 \x93\xFA\x96\x7B.txt", FtpNameEncoding::Cp932);
    left("month-named owner, a day for a group, a size for a year",
         "-rw-r--r-- 1 jan 10 2048 Mar 15 12:00 x");
    left("a day for an owner, month-named group", "-rw-r--r-- 1 5 mar 2048 Mar 15 12:00 x");
    left("group written like a date", "-rw-r--r-- 1 u 01-02 2000 Mar 15 12:00 x");
    left("ACL mark", "-rw-r--r--+ 1 u g 5 Mar 15 12:00 x");
    left("device", "crw-rw-rw- 1 root root 1, 3 Mar 15 12:00 null");
    left("size with a unit", "-rw-r--r-- 1 u g 33.5k Mar 15 12:00 x");
    left("German month", "-rw-r--r-- 1 u g 5 Okt 15 12:00 x");
    left("three-digit day", "-rw-r--r-- 1 u g 5 Mar 015 12:00 x");
    left("no group column", "-rw-r--r-- 1 u 5 Mar 15 12:00 x");
    left("no name", "-rw-r--r-- 1 u g 5 Mar 15 12:00");
    left("NUL in the name", QByteArray("-rw-r--r-- 1 u g 5 Mar 15 12:00 a\0b", 35));
}

void TestFtpListing::commonUnixLinesReadAsInFull()
{
    QFETCH(QByteArray, line);
    QFETCH(FtpNameEncoding, encoding);
    QFETCH(bool, taken);
    const FtpListing::YearlessDates yearless(kToday);
    // A neighbour with another date first, then the line twice: its date is
    // worked out, then remembered.
    FtpListing::CommonUnixLines common(yearless, encoding);
    QList<FtpEntry> quick;
    QVERIFY(common.append("-rw-r--r-- 1 u g 1 Mar 15 12:01 before", quick) !=
            FtpListing::CommonUnixLines::Read::NotCommon);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(common.append(line, quick) != FtpListing::CommonUnixLines::Read::NotCommon, taken);
    QCOMPARE(quick.size(), taken ? 3 : 1);
    const auto full = FtpListing::parseListLine(line, yearless, encoding);
    for (qsizetype i = 1; i < quick.size(); ++i) {
        QVERIFY(full);
        QCOMPARE(quick[i].rawName, full->rawName);
        QCOMPARE(quick[i].name, full->name);
        QCOMPARE(quick[i].size, full->size);
        QCOMPARE(flagsOf(quick[i]), flagsOf(*full));
        QCOMPARE(quick[i].modified, full->modified);
    }
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

// Lines as the servers of each family print them; kToday is 15 March 2024.
void TestFtpListing::serverFamilies_data()
{
    addColumns();
    const auto cp932 = FtpNameEncoding::Cp932;
    // Japanese ls, in CP932 and in UTF-8, in the orders Japanese servers use.
    entryRow("Japanese: month day year, CP932",
             "-rw-r--r--   1 root   sys   8473  4\x8C\x8E 18\x93\xFA 2003\x94\x4E \x8C\x9F\x8F\xD8.lzh",
             QStringLiteral("検証.lzh"), 8473, "", at(2003, 4, 18), kToday, cp932);
    entryRow("CP932 name after eight ASCII bytes",
             "-rw-r--r-- 1 u g 5 Mar 15 12:00 report_1\x8C\x9F\x8F\xD8.lzh",
             QStringLiteral("report_1検証.lzh"), 5, "", at(2024, 3, 15, 12, 0), kToday, cp932);
    entryRow("Japanese: year month day, UTF-8",
             "-rw-r--r-- 1 u g 10 2003\xE5\xB9\xB4  4\xE6\x9C\x88 18\xE6\x97\xA5 y", "y", 10, "",
             at(2003, 4, 18));
    entryRow("Japanese: month day time, UTF-8", "drwxr-xr-x 2 u g 4096  3\xE6\x9C\x88 14\xE6\x97\xA5 12:00 d",
             "d", 0, "d", at(2024, 3, 14, 12, 0));
    entryRow("Japanese: slashed date", "-rw-r--r-- 1 u g 10 2003/04/18 12:00 slash", "slash", 10, "",
             at(2003, 4, 18, 12, 0));
    entryRow("Korean: UTF-8",
             "drwxr-xr-x   5 root  sys  512 2005\xEB\x85\x84  1\xEC\x9B\x94  6\xEC\x9D\xBC ko dir", "ko dir",
             0, "d", at(2005, 1, 6));
    entryRow("Korean: EUC-KR", "-rw-r--r-- 1 u g 3 2005\xB3\xE2 12\xBF\xF9 31\xC0\xCF ko", "ko", 3, "",
             at(2005, 12, 31));
    entryRow("Chinese: GBK month", "-rwxrwxrwx   1 root  staff  0 2003   3\xD4\xC2 20 zh", "zh", 0, "",
             at(2003, 3, 20));
    entryRow("Chinese: UTF-8, no year", "-r--r--r-- 1 root root 2096 8\xE6\x9C\x88 17 08:52 zh", "zh", 2096,
             "r", at(2023, 8, 17, 8, 52));
    entryRow("Chinese: Big5", "-rw-r--r-- 1 u g 1 2010\xA6\x7E 5\xA4\xEB 4\xA4\xE9 tw", "tw", 1, "",
             at(2010, 5, 4));
    // GNU ls --time-style=iso and its relatives.
    entryRow("GNU iso: recent", "-rw-r--r-- 1 u g 531 09-26 13:45 recent", "recent", 531, "",
             at(2023, 9, 26, 13, 45));
    entryRow("GNU iso: old, padded", "-rw-r--r-- 1 u g 531 2000-09-26  old iso", "old iso", 531, "",
             at(2000, 9, 26));
    entryRow("GNU iso: old, padded, name with a blank", "-rw-r--r-- 1 u g 1 2000-09-26   x", " x", 1, "",
             at(2000, 9, 26));
    entryRow("month-day and year", "-rw-r--r-- 1 u g 531 09-26 2000 md", "md", 531, "", at(2000, 9, 26));
    entryRow("dotted, padded", "-r-xr-xr-x   2 root  root  96 2004.07.15   dotted", "dotted", 96, "r",
             at(2004, 7, 15));
    entryRow("day-month-year", "-r-xr-xr-x   2 root  other  2235 24-04-2003 17:12 dmy", "dmy", 2235, "r",
             at(2003, 4, 24, 17, 12));
    entryRow("day-month name-year", "-r-xr-xr-x 2 owner group 4512 01-jun-99 short", "short", 4512, "r",
             at(1999, 6, 1));
    // Windows: IIS and dir in several locales.
    entryRow("Windows: year first, folder", "2002-09-02  18:48       <DIR>          long year", "long year",
             0, "d", at(2002, 9, 2, 18, 48));
    entryRow("Windows: thousands", "2002-09-02  19:06                9,730 f", "f", 9730, "",
             at(2002, 9, 2, 19, 6));
    entryRow("Windows: slashes, millions", "2002/09/02  19:06    1,234,567 jp", "jp", 1234567, "",
             at(2002, 9, 2, 19, 6));
    entryRow("Windows: IIS date, thousands", "04-27-00  12:09PM       2,048 iis", "iis", 2048, "",
             at(2000, 4, 27, 12, 9));
    entryRow("Windows: US date", "09/02/2002  06:48 PM    12 us", "us", 12, "", at(2002, 9, 2, 18, 48));
    entryRow("Windows: European date", "02.09.2002  18:48    1.234 de", "de", 1234, "",
             at(2002, 9, 2, 18, 48));
    // Other forms of ls.
    entryRow("day before month", "drwxr-xr-x 3 user group 512 01 oct 2004 swapped", "swapped", 0, "d",
             at(2004, 10, 1));
    entryRow("day before month, time", "drwxrwxrwx   1 0        0     0 29 Jul 02:27 2014 Invoices",
             "2014 Invoices", 0, "d", at(2023, 7, 29, 2, 27));
    entryRow("24:00", "-rw-------   1  99999999 0   3 Apr   4 24:00 midnight", "midnight", 3, "",
             at(2023, 4, 5));
    entryRow("size with a unit", "-rw-r--r--   1 root     other  33.5k Oct 5 21:22 k", "k", 34304, "",
             at(2023, 10, 5, 21, 22));
    entryRow("ls -i", " 1234567 -rw-r--r--   1 u g 1234 Jan 31 12:00 inode", "inode", 1234, "",
             at(2024, 1, 31, 12, 0));
    entryRow("ls -is", "1234567    8 lrwxrwxrwx 1 u g 3 Jan 31 12:00 www -> public_html", "www", 3, "l",
             at(2024, 1, 31, 12, 0));
    entryRow("no date", "drwxr-xr-x 3 slopri devlab 512 dateless", "dateless", 0, "d", QDateTime());
    entryRow("group run into the size", "-r-xr-xr-x longowner longgroup123456 Feb 12 17:20 concat", "concat",
             123456, "r", at(2024, 2, 12, 17, 20));
    // Month names of other locales.
    entryRow("German: day. month, time", "dr-xr-xr-x   2 root  other  2235 26. Juli, 20:10 de", "de", 0, "dr",
             at(2023, 7, 26, 20, 10));
    entryRow("German: day. month. year", "-r-xr-xr-x   2 root  other  2235 2.   Okt.  2003 de", "de", 2235,
             "r", at(2003, 10, 2));
    entryRow("German: Jan.,", "drwxr-xr-x 6 user sys 1024 30. Jan., 12:40 de", "de", 0, "d",
             at(2024, 1, 30, 12, 40));
    entryRow("German: umlaut in UTF-8", "-rw-r--r-- 1 u g 5 M\xC3\xA4r 10 10:00 de", "de", 5, "",
             at(2024, 3, 10, 10, 0));
    entryRow("German: umlaut in Latin-1", "-rw-r--r-- 1 u g 5 M\xE4r 10 10:00 de", "de", 5, "",
             at(2024, 3, 10, 10, 0), kToday, cp932);
    entryRow("French", "-rw-r--r-- 1 u g 5 f\xC3\xA9vr. 14  2020 fr", "fr", 5, "", at(2020, 2, 14));
    entryRow("French: juil.", "-rw-r--r-- 1 u g 5 juil. 14 09:30 fr", "fr", 5, "", at(2023, 7, 14, 9, 30));
    entryRow("Spanish", "-rw-r--r-- 1 u g 5 ene 06  2021 es", "es", 5, "", at(2021, 1, 6));
    entryRow("Italian", "-rw-r--r-- 1 u g 5 giu 02  2020 it", "it", 5, "", at(2020, 6, 2));
    entryRow("Dutch", "-rw-r--r-- 1 u g 5 mrt 01  2020 nl", "nl", 5, "", at(2020, 3, 1));
    entryRow("Hungarian", "dr-xr-xr-x   2 root  other  2235 szept 26 20:10 hu", "hu", 0, "dr",
             at(2023, 9, 26, 20, 10));
    entryRow("Portuguese", "-rw-r--r-- 1 u g 5 out 10  2019 pt", "pt", 5, "", at(2019, 10, 10));
    entryRow("Russian", "-rw-r--r-- 1 u g 5 \xD0\xBE\xD0\xBA\xD1\x82  3  2019 ru", "ru", 5, "",
             at(2019, 10, 3));
    // VShell, old and new.
    entryRow("VShell: ls form", "-rwxr-xr-x    1 user group        9 Oct 08, 2002 09:47 vs", "vs", 9, "",
             at(2002, 10, 8, 9, 47));
    entryRow("VShell: short form", "206876  Apr 04, 2000 21:06 vs old", "vs old", 206876, "",
             at(2000, 4, 4, 21, 6));
    entryRow("VShell: short form, folder", "0  Dec 12, 2002 02:13 vs dir/", "vs dir", 0, "d",
             at(2002, 12, 12, 2, 13));
    // Numeric modes with times in seconds.
    entryRow("numeric: file", "0100644   500  101   12345    123456789       numeric file", "numeric file",
             12345, "", at(1973, 11, 29, 21, 33, 9));
    entryRow("numeric: read-only folder", "040555 0 0 4096 0 nd", "nd", 0, "dr", at(1970, 1, 1));
    entryRow("numeric: link", "0120777 0 0 7 1000000000 nl", "nl", 7, "l", at(2001, 9, 9, 1, 46, 40));
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
    noEntryRow("hour 24 and minutes", "-rw-r--r-- 1 u g 10 Jan 31 24:30 name");
    noEntryRow("numbers where the date should be", "-rw-r--r-- 1 u g 10 31 13 2020 name");
    noEntryRow("digits and words", "123 not a listing");
    noEntryRow("bad mode letter", "-rw-r--r-z 1 u g 10 Jan 31 12:00 name");
    noEntryRow("NUL in name", QByteArray("-rw-r--r-- 1 u g 10 Jan 31 12:00 a\0b", 37));
    noEntryRow("CR in name", "-rw-r--r-- 1 u g 10 Jan 31 12:00 a\rb");
    noEntryRow("NUL late in a long name", QByteArray("-rw-r--r-- 1 u g 10 Jan 31 12:00 abcdefghij\0k", 45));
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
    entryRow("TAB after the facts", "type=file;size=5;modify=20090722092510;\tadsl TV 2009", "adsl TV 2009",
             5, "", at(2009, 7, 22, 9, 25, 10));
    entryRow("blank inside a fact value", "type=file;UNIX.owner=John Doe;size=7; spaced owner",
             "spaced owner", 7, "", QDateTime());
    entryRow("TAB starting the name", "Type=file; \t lead", "\t lead", 0, "", QDateTime());
    entryRow("draft without the last semicolon", "type=file old draft", "old draft", 0, "", QDateTime());
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

void TestFtpListing::readerTakesBlocksCutAnywhere()
{
    const QByteArray body = "total 2\r\n"
                            "-rw-r--r-- 1 u g 5 Jan 31 12:00 \xE6\x97\xA5\xE6\x9C\xAC\r\n"
                            "junk\n"
                            "2002-09-02  18:48       <DIR>          dir\r\n"
                            "+r,s3,\tlast";
    for (qsizetype block = 1; block <= 8; ++block) {
        FtpListingReader reader(false, kToday, FtpNameEncoding::Utf8);
        for (qsizetype at = 0; at < body.size(); at += block)
            QVERIFY(reader.feed(QByteArrayView(body).sliced(at, qMin(block, body.size() - at))));
        QVERIFY(reader.finish());
        QStringList names;
        for (const FtpEntry& entry : reader.takeEntries())
            names << entry.name;
        QCOMPARE(names, QStringList({QStringLiteral("日本"), "dir", "last"}));
    }
}

void TestFtpListing::readerBoundsEntriesAndLines()
{
    const QByteArray line = "-rw-r--r-- 1 u g 5 Jan 31 12:00 f\r\n";
    FtpListingReader capped(false, kToday, FtpNameEncoding::Utf8, 2);
    QVERIFY(capped.feed(line + line));
    QVERIFY(capped.finish());
    QVERIFY(!capped.feed(line));
    QVERIFY(!capped.finish());

    // A line far longer than any entry is skipped, whether it comes whole or in pieces.
    FtpListingReader reader(false, kToday, FtpNameEncoding::Utf8);
    const QByteArray huge = "-rw-r--r-- 1 u g 5 Jan 31 12:00 " + QByteArray(200'000, 'x') + "\n";
    QVERIFY(reader.feed(huge));
    QVERIFY(reader.feed(huge.first(70'000)));
    QVERIFY(reader.feed(huge.sliced(70'000) + line));
    QVERIFY(reader.finish());
    QCOMPARE(reader.count(), 1);
}

QTEST_GUILESS_MAIN(TestFtpListing)
#include "test_formats.moc"
