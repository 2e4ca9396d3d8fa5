// ClassLHa over the real archiver library (built beside the tests) and over a
// scripted stand-in for the output and listing cases the real one never
// produces.

#include "platform/lha/binding/UnlhaBinding.h"
#include "platform/text/LegacyText.h"
#include "tests/platform/lha/support/HandMadeArchive.h"
#include "updater/lha/ClassLHa.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSeventeenBlanks(17, QLatin1Char(' '));

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Controls of the stand-in library, resolved from the very file the binding
// loads (the same loaded instance).
struct Fake
{
    QLibrary lib{QStringLiteral(FAKE_UNLHA_PATH)};

    void script(const QByteArray& output, int result)
    {
        using Fn = void (*)(const char*, int, int);
        reinterpret_cast<Fn>(lib.resolve("FakeUnlhaScript"))(output.constData(), int(output.size()), result);
    }
    void scriptList(int count, const char* name, bool fillWholeBuffer = false, bool refuseOpen = false)
    {
        using Fn = void (*)(int, const char*, int, int);
        reinterpret_cast<Fn>(lib.resolve("FakeUnlhaScriptList"))(count, name, fillWholeBuffer, refuseOpen);
    }
    QString lastCommand()
    {
        using Fn = const char* (*)();
        return QString::fromLocal8Bit(reinterpret_cast<Fn>(lib.resolve("FakeUnlhaLastCommand"))());
    }
    int openHandles()
    {
        using Fn = int (*)();
        return reinterpret_cast<Fn>(lib.resolve("FakeUnlhaOpenHandles"))();
    }
};

} // namespace

class TestClassLHa : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void extractsWithTheRealLibrary();
    void failedExtractionLeavesEmptyList();
    void listsWithTheRealLibrary();
    void versionAndChecks();
    void commandLine_data();
    void commandLine();
    void meltedLines_data();
    void meltedLines();
    void listingEdges();
    void missingLibraryOrFunction();
};

void TestClassLHa::cleanup()
{
    UnlhaBinding::setLibraryPathForTesting({});
}

void TestClassLHa::extractsWithTheRealLibrary()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile(*LegacyText::encode(QStringLiteral("ソ表.exe")), "program")
        .addFile("readme.txt", "notes", 0);
    QVERIFY(writeFile(work.filePath("up.lzh"), archive.bytes()));
    const QString folder = work.filePath("app");
    QVERIFY(QDir().mkpath(folder));

    ClassLHa lha;
    QCOMPARE(lha.Unlha("", work.filePath("up.lzh"), folder, kSeventeenBlanks), 2);
    QCOMPARE(lha.Files(), 2);
    QCOMPARE(lha.FileName(0), QStringLiteral("ソ表.exe"));
    QCOMPARE(lha.FileName(1), QStringLiteral("readme.txt"));
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.FileName(2));
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.FileName(-1));
    QFile extracted(folder + QStringLiteral("/ソ表.exe"));
    QVERIFY(extracted.open(QIODevice::ReadOnly));
    QCOMPARE(extracted.readAll(), QByteArray("program"));

    // A folder already ending in a separator works the same.
    QCOMPARE(lha.Unlha("", work.filePath("up.lzh"), folder + '/', "*.txt"), 1);
    QCOMPARE(lha.FileName(0), QStringLiteral("readme.txt"));
}

void TestClassLHa::failedExtractionLeavesEmptyList()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile("a.txt", "alpha").addFile("b.txt", "bravo");
    QByteArray bytes = archive.bytes();
    bytes[archive.dataOffset(1)] = 'X';
    QVERIFY(writeFile(work.filePath("bad.lzh"), bytes));

    ClassLHa lha;
    QCOMPARE(lha.UnlhaList(work.filePath("bad.lzh"), "*"), 2);
    QCOMPARE(lha.Unlha("", work.filePath("bad.lzh"), work.path(), kSeventeenBlanks), 0);
    QCOMPARE(lha.Files(), 0);
    QCOMPARE(lha.FileName(0), QString());
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.FileName(1));
    QCOMPARE(lha.Unlha("", work.filePath("missing.lzh"), work.path(), ""), 0);
    QCOMPARE(lha.FileName(0), QString());
}

void TestClassLHa::listsWithTheRealLibrary()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    HandMadeArchive::Member m;
    m.rawFolder = *LegacyText::encode(QStringLiteral("フォルダ")) + char(0xFF);
    m.rawName = "b.dat";
    archive.addFile("a.txt", "a").add(m).addFile("c.txt", "c");
    QVERIFY(writeFile(work.filePath("l.lzh"), archive.bytes()));

    ClassLHa lha;
    QCOMPARE(lha.UnlhaList(work.filePath("l.lzh"), "*.*"), 3);
    QCOMPARE(lha.FileName(1), QStringLiteral("フォルダ/b.dat"));
    QCOMPARE(lha.UnlhaList(work.filePath("l.lzh"), "*.txt"), 2);
    QCOMPARE(lha.FileName(1), QStringLiteral("c.txt"));
    QCOMPARE(lha.UnlhaList(work.filePath("l.lzh"), "none"), 0);
    QCOMPARE(lha.FileName(0), QString());
    QCOMPARE(lha.UnlhaList(work.filePath("absent.lzh"), "*"), 0);
    QCOMPARE(lha.Files(), 0);
}

void TestClassLHa::versionAndChecks()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile("a.txt", "alpha");
    QByteArray bad = archive.bytes();
    bad[archive.dataOffset(0)] = 'X';
    QVERIFY(writeFile(work.filePath("good.lzh"), archive.bytes()));
    QVERIFY(writeFile(work.filePath("bad.lzh"), bad));

    ClassLHa lha;
    QCOMPARE(lha.Version(), 100);
    QCOMPARE(lha.CheckArchiveRapid(work.filePath("good.lzh")), QVariant(1));
    QCOMPARE(lha.CheckArchive(work.filePath("good.lzh")), QVariant(1));
    QCOMPARE(lha.CheckArchiveFull(work.filePath("good.lzh")), QVariant(1));
    QCOMPARE(lha.CheckArchive(work.filePath("bad.lzh")), QVariant(1));
    QCOMPARE(lha.CheckArchiveFull(work.filePath("bad.lzh")), QVariant(0));
    QCOMPARE(lha.CheckArchiveRapid(work.filePath("none.lzh")), QVariant(0));
}

void TestClassLHa::commandLine_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("wild");
    QTest::addColumn<QString>("expected");
    QTest::newRow("updater call") << ""
                                  << "/opt/app" << kSeventeenBlanks
                                  << "e  \"/opt/up.lzh\" \"/opt/app/\" " + kSeventeenBlanks;
    QTest::newRow("folder ends in separator") << ""
                                              << "/opt/app/"
                                              << "*.exe"
                                              << "e  \"/opt/up.lzh\" \"/opt/app/\" *.exe";
    QTest::newRow("backslash not doubled") << ""
                                           << "C:\\App\\"
                                           << ""
                                           << "e  \"/opt/up.lzh\" \"C:\\App\\\" ";
    QTest::newRow("switches") << "-x1 -m1"
                              << "/a b"
                              << "x"
                              << "e -x1 -m1 \"/opt/up.lzh\" \"/a b/\" x";
}

void TestClassLHa::commandLine()
{
    QFETCH(QString, flag);
    QFETCH(QString, folder);
    QFETCH(QString, wild);
    QFETCH(QString, expected);
    UnlhaBinding::setLibraryPathForTesting(QStringLiteral(FAKE_UNLHA_PATH));
    Fake fake;
    fake.script({}, 0);
    ClassLHa lha;
    QCOMPARE(lha.Unlha(flag, "/opt/up.lzh", folder, wild), 0);
    QCOMPARE(fake.lastCommand(), expected);
}

void TestClassLHa::meltedLines_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("two lines") << QByteArray("Melted a.exe\nMelted sub/b.dll\n") << 0
                               << QStringList{"a.exe", "sub/b.dll"};
    QTest::newRow("last line without LF") << QByteArray("Melted a\nMelted b") << 0 << QStringList{"a"};
    QTest::newRow("any letter case") << QByteArray("MELTED A\nmelted b\nMeLtEd c\n") << 0
                                     << QStringList{"A", "b", "c"};
    QTest::newRow("CR kept") << QByteArray("Melted a\r\nMelted b\r\n") << 0 << QStringList{"a\r", "b\r"};
    QTest::newRow("blanks trimmed") << QByteArray("Melted    spaced name   \n") << 0
                                    << QStringList{"spaced name"};
    QTest::newRow("no blank after Melted") << QByteArray("Meltedx\n") << 0 << QStringList{"x"};
    QTest::newRow("other lines") << QByteArray("Extracting\n  Melted x\nMelte\nMelted y\n") << 0
                                 << QStringList{"y"};
    QTest::newRow("text after NUL ignored")
        << QByteArray("Melted a\n\0Melted b\n", 20) << 0 << QStringList{"a"};
    QTest::newRow("empty") << QByteArray() << 0 << QStringList{};
    QTest::newRow("failure") << QByteArray("Melted a\n") << 0x800C << QStringList{};
}

void TestClassLHa::meltedLines()
{
    QFETCH(QByteArray, output);
    QFETCH(int, result);
    QFETCH(QStringList, names);
    UnlhaBinding::setLibraryPathForTesting(QStringLiteral(FAKE_UNLHA_PATH));
    Fake fake;
    ClassLHa lha;
    fake.script("Melted old\n", 0);
    QCOMPARE(lha.Unlha("", "a.lzh", "/d", ""), 1);
    fake.script(output, result);
    QCOMPARE(lha.Unlha("", "a.lzh", "/d", ""), names.size());
    QCOMPARE(lha.Files(), names.size());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(lha.FileName(i), names[i]);
    if (names.isEmpty())
        QCOMPARE(lha.FileName(0), QString());
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.FileName(qMax(1, int(names.size()))));
}

void TestClassLHa::listingEdges()
{
    UnlhaBinding::setLibraryPathForTesting(QStringLiteral(FAKE_UNLHA_PATH));
    Fake fake;
    ClassLHa lha;
    fake.scriptList(3, "member.txt");
    QCOMPARE(lha.UnlhaList("x.lzh", "*"), 3);
    QCOMPARE(lha.FileName(2), QStringLiteral("member.txt"));
    QCOMPARE(fake.openHandles(), 0);

    fake.scriptList(0, "", false, true);
    QCOMPARE(lha.UnlhaList("x.lzh", "*"), 0);
    QCOMPARE(lha.FileName(0), QString());

    // The 32,768th name overflows the 16-bit count; the archive is closed.
    fake.scriptList(40000, "n");
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.UnlhaList("x.lzh", "*"));
    QCOMPARE(lha.Files(), 32767);
    QCOMPARE(fake.openHandles(), 0);

    fake.scriptList(2, "", true);
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.UnlhaList("x.lzh", "*"));
    QCOMPARE(fake.openHandles(), 0);
}

void TestClassLHa::missingLibraryOrFunction()
{
    UnlhaBinding::setLibraryPathForTesting(QStringLiteral("/nonexistent/libunlha32.so"));
    ClassLHa lha; // constructing never needs the library
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.Unlha("", "a.lzh", "/d", ""));
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.UnlhaList("a.lzh", "*"));
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.Version());
    QCOMPARE(lha.Files(), 0);

    UnlhaBinding::setLibraryPathForTesting(QStringLiteral(FAKE_UNLHA_PATH));
    QCOMPARE(lha.Version(), 321);
    QVERIFY_THROWS_EXCEPTION(LhaError, lha.CheckArchive("a.lzh"));
}

QTEST_GUILESS_MAIN(TestClassLHa)
#include "test_classlha.moc"
