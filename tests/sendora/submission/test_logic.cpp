// The submissions' logic without the window: the collection plan of a date
// range, the collection and packing on disk, the archiver command line, the
// Pass data file and the fetch's row rule.

#include "LhaContents.h"
#include "TestFiles.h"
#include "sendora/submission/CollectionPlan.h"
#include "sendora/submission/DayRange.h"
#include "sendora/submission/PassDataFile.h"
#include "sendora/submission/PassDataRows.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/submission/VerificationPackager.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

namespace {

QString dayPath(const QDate& d)
{
    return DayNameParts::of(d).year + u'/' + DayNameParts::of(d).month + u'/' + DayNameParts::of(d).day;
}

QString dbPath(int year, int month)
{
    return DayNameParts::of(QDate(year, month, 1)).year + u'/' +
           DayNameParts::of(QDate(year, month, 1)).month + QStringLiteral("Oz.mdb");
}

QStringList fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestSubmissionLogic : public QObject
{
    Q_OBJECT

private slots:
    void dayCountOfRange_data();
    void dayCountOfRange();
    void plan_data();
    void plan();
    void planOverAYearKeepsEarliestCopy();
    void packagerCollectsPacksAndCleans();
    void packagerWithoutDayFileKeepsDatabases();
    void packagerWithMissingArchiver();
    void packWithArchiverLibrary_data();
    void packWithArchiverLibrary();
    void relativeDataFolderIsBelowProgramFolder();
    void commandLine_data();
    void commandLine();
    void quoteAndSeparatorHelpers();
    void passDataBytes_data();
    void passDataBytes();
    void passDataRefusesWhatItCannotStore();
    void passDataParse();
    void passDataRows_data();
    void passDataRows();
};

void TestSubmissionLogic::dayCountOfRange_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<qint64>("count");
    QTest::newRow("one day") << QDate(2009, 2, 18) << QDate(2009, 2, 18) << qint64(1);
    QTest::newRow("20 Jan - 18 Feb") << QDate(2009, 1, 20) << QDate(2009, 2, 18) << qint64(30);
    QTest::newRow("1 Jan - 18 Feb") << QDate(2009, 1, 1) << QDate(2009, 2, 18) << qint64(49);
    QTest::newRow("across New Year") << QDate(2008, 12, 20) << QDate(2009, 1, 10) << qint64(22);
    QTest::newRow("leap February") << QDate(2008, 2, 1) << QDate(2008, 3, 1) << qint64(30);
    QTest::newRow("start after end") << QDate(2009, 2, 19) << QDate(2009, 2, 18) << qint64(0);
    QTest::newRow("well after end") << QDate(2009, 3, 1) << QDate(2009, 2, 18) << qint64(-10);
}

void TestSubmissionLogic::dayCountOfRange()
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(qint64, count);
    QCOMPARE(DayRange::dayCount(start, end), count);
    QCOMPARE(DayRange::parseDayCount(QString::number(DayRange::dayCount(start, end))), int(count));
}

// Expected day files are given by their first and last date (the walk goes
// from the end date backwards, one step per day); databases exactly.
void TestSubmissionLogic::plan_data()
{
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("countText");
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("databases");

    QTest::newRow("one day") << QDate(2009, 2, 18) << "1" << 1 << QStringList{dbPath(2009, 2)};
    QTest::newRow("inside a month") << QDate(2009, 2, 18) << "9" << 9 << QStringList{dbPath(2009, 2)};
    QTest::newRow("20 Jan - 18 Feb") << QDate(2009, 2, 18) << "30" << 30
                                     << QStringList{dbPath(2009, 2), dbPath(2009, 1)};
    QTest::newRow("1 Feb - 18 Feb") << QDate(2009, 2, 18) << "18" << 18 << QStringList{dbPath(2009, 2)};
    QTest::newRow("1 Jan - 18 Feb") << QDate(2009, 2, 18) << "49" << 49
                                    << QStringList{dbPath(2009, 2), dbPath(2009, 1)};
    QTest::newRow("20 Dec - 10 Jan") << QDate(2009, 1, 10) << "22" << 22
                                     << QStringList{dbPath(2009, 1), dbPath(2008, 12)};
    QTest::newRow("three months") << QDate(2009, 2, 18) << "66" << 66
                                  << QStringList{dbPath(2009, 2), dbPath(2008, 12)};
    QTest::newRow("start after end") << QDate(2009, 2, 18) << "0" << 0 << QStringList{};
    QTest::newRow("negative count") << QDate(2009, 2, 18) << "-3" << 0 << QStringList{};
    QTest::newRow("non-numeric") << QDate(2009, 2, 18) << "abc" << 0 << QStringList{};
    QTest::newRow("leading number") << QDate(2009, 2, 18) << " 2 days" << 2 << QStringList{dbPath(2009, 2)};
    QTest::newRow("beyond 16 bits") << QDate(2009, 2, 18) << "40000" << 0 << QStringList{};
    QTest::newRow("more than a year")
        << QDate(2009, 2, 18) << "375" << 375 << QStringList{dbPath(2009, 2), dbPath(2008, 2)};
}

void TestSubmissionLogic::plan()
{
    QFETCH(QDate, end);
    QFETCH(QString, countText);
    QFETCH(int, days);
    QFETCH(QStringList, databases);

    const QString data = QStringLiteral("/data");
    const QList<CollectionStep> steps = CollectionPlan::build(data, end, DayRange::parseDayCount(countText));
    QCOMPARE(steps.size(), days + databases.size());

    for (int i = 0; i < days; ++i) {
        const QDate day = end.addDays(-i);
        const CollectionStep& step = steps.at(i);
        QCOMPARE(step.kind, CollectionStep::Kind::DayFile);
        QCOMPARE(step.source, data + u'/' + dayPath(day));
        QCOMPARE(step.copyName, DayNameParts::of(day).month + DayNameParts::of(day).day);
    }
    for (int i = 0; i < databases.size(); ++i) {
        const CollectionStep& step = steps.at(days + i);
        QCOMPARE(step.kind, CollectionStep::Kind::MonthDatabase);
        QCOMPARE(step.source, data + u'/' + databases.at(i));
        QCOMPARE(step.copyName, databases.at(i).section(u'/', 1));
    }
}

void TestSubmissionLogic::planOverAYearKeepsEarliestCopy()
{
    const QList<CollectionStep> steps = CollectionPlan::build(QStringLiteral("/d"), QDate(2009, 2, 18), 375);
    QSet<QString> copyNames;
    QString lastSourceFor0218;
    for (const CollectionStep& step : steps) {
        copyNames.insert(step.copyName);
        if (step.copyName == QStringLiteral("02月18日fan.data"))
            lastSourceFor0218 = step.source;
    }
    // 366 distinct month/day names (2008 was a leap year) plus one database name.
    QCOMPARE(copyNames.size(), 366 + 1);
    QCOMPARE(lastSourceFor0218, QStringLiteral("/d/2008年/02月/18日fan.data"));
    QCOMPARE(DayNameParts::of(QDate(2009, 2, 18)).day, QStringLiteral("18日fan.data"));
}

void TestSubmissionLogic::packagerCollectsPacksAndCleans()
{
    QTemporaryDir program;
    QVERIFY(program.isValid());
    const QString data = program.filePath(QStringLiteral("data"));
    const QString work = SubmissionPaths::workingFolder(program.path());
    QVERIFY(writeFile(data + QStringLiteral("/2009年/02月/18日fan.data"), "d18"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/02月/17日fan.data"), "d17"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/01月/31日fan.data"), "d31"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/02月Oz.mdb"), "feb"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/01月Oz.mdb"), "jan"));
    QVERIFY(writeFile(data + QStringLiteral("/2008年/12月Oz.mdb"), "dec: not in range"));
    // Leftovers of an earlier run: old day files and archives go, other files stay.
    QVERIFY(writeFile(work + QStringLiteral("/01月01日fan.data"), "old"));
    QVERIFY(writeFile(work + QStringLiteral("/old.lzh"), "old"));
    QVERIFY(writeFile(work + QStringLiteral("/note.txt"), "kept"));

    QStringList seenAtPack;
    QString commandLine;
    int yields = 0;
    const VerificationArchiver archiver([&](const QString& line, QByteArray& output) {
        commandLine = line;
        seenAtPack = fileNames(work);
        output = "packed";
        writeFile(SubmissionPaths::archivePath(program.path()), "archive");
        return 0;
    });
    const PackageOutcome outcome = VerificationPackager(program.path(), archiver)
                                       .run(QStringLiteral("  ") + data + QStringLiteral(" "),
                                            QDate(2009, 2, 18), 19, [&yields] { ++yields; });

    QVERIFY(outcome.dayFileFound);
    QVERIFY(outcome.archiveBuilt);
    QCOMPARE(commandLine, VerificationArchiver::commandLine(program.path()));
    QCOMPARE(seenAtPack, (QStringList{QStringLiteral("01月31日fan.data"), QStringLiteral("01月Oz.mdb"),
                                      QStringLiteral("02月17日fan.data"), QStringLiteral("02月18日fan.data"),
                                      QStringLiteral("02月Oz.mdb"), QStringLiteral("note.txt")}));
    QCOMPARE(readFile(work + QStringLiteral("/02月18日fan.data")), QByteArray()); // removed after packing
    QCOMPARE(fileNames(work), (QStringList{QStringLiteral("Qorlith.lzh"), QStringLiteral("note.txt")}));
    QVERIFY(yields >= 2 * 19);
}

void TestSubmissionLogic::packagerWithoutDayFileKeepsDatabases()
{
    QTemporaryDir program;
    const QString data = program.filePath(QStringLiteral("data"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/02月Oz.mdb"), "feb"));
    bool called = false;
    const VerificationArchiver archiver([&](const QString&, QByteArray&) {
        called = true;
        return 0;
    });
    const PackageOutcome outcome =
        VerificationPackager(program.path(), archiver).run(data, QDate(2009, 2, 18), 5);
    QVERIFY(!outcome.dayFileFound);
    QVERIFY(!outcome.archiveBuilt);
    QVERIFY(!called);
    QCOMPARE(fileNames(SubmissionPaths::workingFolder(program.path())),
             QStringList{QStringLiteral("02月Oz.mdb")});
}

void TestSubmissionLogic::packagerWithMissingArchiver()
{
    QTemporaryDir program;
    const QString data = program.filePath(QStringLiteral("data"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/02月/18日fan.data"), "d18"));
    const VerificationArchiver missing(
        [](const QString&, QByteArray&) -> int { throw std::runtime_error("archiver library not found"); });
    const PackageOutcome outcome =
        VerificationPackager(program.path(), missing).run(data, QDate(2009, 2, 18), 1);
    QVERIFY(outcome.dayFileFound);
    QVERIFY(!outcome.archiveBuilt);
    QVERIFY(!QFile::exists(SubmissionPaths::archivePath(program.path())));
    QVERIFY(fileNames(SubmissionPaths::workingFolder(program.path())).isEmpty());
}

void TestSubmissionLogic::packWithArchiverLibrary_data()
{
    QTest::addColumn<QString>("programName");
    QTest::newRow("plain folder") << QStringLiteral("sendora");
    QTest::newRow("blank and comma in folder") << QStringLiteral("my send,ora");
}

// The real archiver library, read back with liblhasa: the copies under their
// plain (CP932) names, nothing else.
void TestSubmissionLogic::packWithArchiverLibrary()
{
    QFETCH(QString, programName);
    QTemporaryDir root;
    const QString program = root.filePath(programName);
    const QString data = program + QStringLiteral("/10");
    QVERIFY(writeFile(data + QStringLiteral("/2008年/12月/31日fan.data"), QByteArray(5000, 'x') + "end"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/01月/01日fan.data"), "new year"));
    QVERIFY(writeFile(data + QStringLiteral("/2009年/01月Oz.mdb"), "jan"));
    QVERIFY(writeFile(data + QStringLiteral("/2008年/12月Oz.mdb"), "dec"));

    const PackageOutcome outcome =
        VerificationPackager(program, VerificationArchiver()).run(QStringLiteral("10"), QDate(2009, 1, 1), 2);
    QVERIFY(outcome.archiveBuilt);
    const LhaContents archive = LhaContents::read(outcome.archivePath);
    QVERIFY2(archive.ok, qPrintable(archive.error));
    QCOMPARE(archive.members.keys(),
             (QStringList{QStringLiteral("01月01日fan.data"), QStringLiteral("01月Oz.mdb"),
                          QStringLiteral("12月31日fan.data"), QStringLiteral("12月Oz.mdb")}));
    QCOMPARE(archive.members.value(QStringLiteral("12月31日fan.data")), QByteArray(5000, 'x') + "end");
    QCOMPARE(archive.members.value(QStringLiteral("01月Oz.mdb")), QByteArray("jan"));
    QCOMPARE(fileNames(SubmissionPaths::workingFolder(program)), QStringList{QStringLiteral("Qorlith.lzh")});
}

void TestSubmissionLogic::relativeDataFolderIsBelowProgramFolder()
{
    QCOMPARE(SubmissionPaths::dataFolder(QStringLiteral("10"), QStringLiteral("/opt/app")),
             QStringLiteral("/opt/app/10"));
    QCOMPARE(SubmissionPaths::dataFolder(QStringLiteral(" /srv/data/ "), QStringLiteral("/opt/app")),
             QStringLiteral("/srv/data"));
    QCOMPARE(SubmissionPaths::dataFolder(QString(), QStringLiteral("/opt/app")), QStringLiteral("/opt/app"));
    QCOMPARE(SubmissionPaths::archivePath(QStringLiteral("/opt/app")),
             QStringLiteral("/opt/app/Temp/Qorlith.lzh"));
    QCOMPARE(SubmissionPaths::passDataPath(QStringLiteral("/opt/app/")),
             QStringLiteral("/opt/app/Mirvel3.txt"));
}

void TestSubmissionLogic::commandLine_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("expected");
    const QString sep = QDir::separator();
    const QString bare = QDir::toNativeSeparators(QStringLiteral("/opt/sendora"));
    QTest::newRow("no blank")
        << QStringLiteral("/opt/sendora")
        << QStringLiteral("u  %1%2Temp%2Qorlith.lzh %1%2Temp%2 %1%2Temp%2*.* ").arg(bare, sep);
    const QString blank = QDir::toNativeSeparators(QStringLiteral("/opt/my sendora"));
    QTest::newRow("blank")
        << QStringLiteral("/opt/my sendora")
        << QStringLiteral("u  \"%1%2Temp%2Qorlith.lzh\" \"%1%2Temp%2\" \"%1%2Temp%2*.*\" ").arg(blank, sep);
    const QString comma = QDir::toNativeSeparators(QStringLiteral("/opt/a,b"));
    QTest::newRow("comma")
        << QStringLiteral("/opt/a,b")
        << QStringLiteral("u  \"%1%2Temp%2Qorlith.lzh\" \"%1%2Temp%2\" \"%1%2Temp%2*.*\" ").arg(comma, sep);
}

void TestSubmissionLogic::commandLine()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, expected);
    QCOMPARE(VerificationArchiver::commandLine(programFolder), expected);
}

void TestSubmissionLogic::quoteAndSeparatorHelpers()
{
    QCOMPARE(AddDirSep(QStringLiteral("C:\\A\\Temp  ")), QStringLiteral("C:\\A\\Temp\\"));
    QCOMPARE(AddDirSep(QStringLiteral("C:\\A\\Temp\\")), QStringLiteral("C:\\A\\Temp\\"));
    QCOMPARE(AddDirSep(QStringLiteral("/opt/a b/Temp ")), QStringLiteral("/opt/a b/Temp/"));
    QCOMPARE(AddDirSep(QStringLiteral("/opt/Temp/")), QStringLiteral("/opt/Temp/"));
    QCOMPARE(AddDirSep(QStringLiteral("Temp")), QStringLiteral("Temp") + QDir::separator());

    QCOMPARE(AddQuotesToFN(QStringLiteral("C:\\A B\\x")), QStringLiteral("\"C:\\A B\\x\""));
    QCOMPARE(AddQuotesToFN(QStringLiteral("a,b")), QStringLiteral("\"a,b\""));
    QCOMPARE(AddQuotesToFN(QStringLiteral(" lead")), QStringLiteral("\" lead\""));
    QCOMPARE(AddQuotesToFN(QStringLiteral("C:\\A\\x")), QStringLiteral("C:\\A\\x"));
    QCOMPARE(AddQuotesToFN(QString()), QString());
}

void TestSubmissionLogic::passDataBytes_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("two boxes") << "admin1"
                               << "check2" << QByteArray("admin1\r\ncheck2\r\n");
    QTest::newRow("empty boxes") << ""
                                 << "" << QByteArray("\r\n\r\n");
    QTest::newRow("one empty") << ""
                               << "x" << QByteArray("\r\nx\r\n");
    QTest::newRow("Japanese") << QStringLiteral("管理") << QStringLiteral("ｹﾝｼｮｳ")
                              << QByteArray("\x8a\xc7\x97\x9d\r\n\xb9\xdd\xbc\xae\xb3\r\n");
}

void TestSubmissionLogic::passDataBytes()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = SubmissionPaths::passDataPath(dir.path());
    QVERIFY(writeFile(path, "an older and longer file\r\nline2\r\nline3\r\n"));
    const auto othersRead = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | othersRead));
    QCOMPARE(PassDataFile::write(path, first, second), PassDataFile::WriteResult::Written);
    QCOMPARE(readFile(path), bytes);
    QCOMPARE(QFile::permissions(path) & othersRead, QFileDevice::Permissions()); // the user's alone
    QCOMPARE(PassDataFile::read(path), (QStringList{first, second}));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("Mirvel3.txt")}); // no temporary left behind
}

void TestSubmissionLogic::passDataRefusesWhatItCannotStore()
{
    QTemporaryDir dir;
    const QString path = SubmissionPaths::passDataPath(dir.path());
    QVERIFY(writeFile(path, "old\r\nold\r\n"));
    QCOMPARE(PassDataFile::write(path, QStringLiteral("ok"), QStringLiteral("한글")),
             PassDataFile::WriteResult::Unrepresentable);
    QCOMPARE(PassDataFile::write(path, QStringLiteral("\U0001F600"), QStringLiteral("ok")),
             PassDataFile::WriteResult::Unrepresentable);
    QCOMPARE(PassDataFile::write(path, QStringLiteral("a\r\nb"), QStringLiteral("ok")),
             PassDataFile::WriteResult::Unrepresentable);
    QCOMPARE(readFile(path), QByteArray("old\r\nold\r\n"));

    QCOMPARE(PassDataFile::write(dir.filePath(QStringLiteral("missing/Mirvel3.txt")), QStringLiteral("a"),
                                 QStringLiteral("b")),
             PassDataFile::WriteResult::WriteFailed);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestSubmissionLogic::passDataParse()
{
    QCOMPARE(PassDataFile::parse("a\r\nb\r\nc\r\n"), (QStringList{"a", "b", "c"}));
    QCOMPARE(PassDataFile::parse("a\nb\n"), (QStringList{"a", "b"}));
    QCOMPARE(PassDataFile::parse("only"), QStringList{"only"});
    QCOMPARE(PassDataFile::parse("\r\n\r\n"), (QStringList{"", ""}));
    QCOMPARE(PassDataFile::parse("\x8a\xc7\x97\x9d\r\nx"), (QStringList{QStringLiteral("管理"), "x"}));
    QCOMPARE(PassDataFile::parse(QByteArray()), QStringList{});
    QCOMPARE(PassDataFile::read(QStringLiteral("/nonexistent/Mirvel3.txt")), QStringList{});
}

void TestSubmissionLogic::passDataRows_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("localName");
    QTest::newRow("exact") << "Mirvel3.txt" << true << "Mirvel3.txt";
    QTest::newRow("trailing blank") << "Mirvel3.txt " << true << "Mirvel3.txt";
    QTest::newRow("leading blank") << " Mirvel3.txt" << true << " Mirvel3.txt";
    QTest::newRow("lower case") << "mirvel3.txt" << false << "mirvel3.txt";
    QTest::newRow("trailing dots") << "Mirvel3.txt.." << false << "Mirvel3.txt";
    QTest::newRow("other") << "Qorlith.lzh" << false << "Qorlith.lzh";
    QTest::newRow("path") << "../Mirvel3.txt" << false << "";
    QTest::newRow("dot dot") << ".." << false << "";
}

void TestSubmissionLogic::passDataRows()
{
    QFETCH(QString, row);
    QFETCH(bool, taken);
    QFETCH(QString, localName);
    QCOMPARE(PassDataRows::isPassDataRow(row), taken);
    QCOMPARE(PassDataRows::localFileName(row), localName);
}

QTEST_GUILESS_MAIN(TestSubmissionLogic)
#include "test_logic.moc"
