// The archiver library through its C interface, against real archives from
// jlha, hostile archives made byte by byte, and its own updates checked with
// lhasa and jlha.

#include "platform/lha/binding/UnlhaBinding.h"
#include "platform/lha/command/unlha32.h"
#include "platform/text/LegacyText.h"
#include "tests/platform/lha/support/HandMadeArchive.h"
#include "tests/platform/lha/support/LhaTestTools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace LhaTestTools;

Q_DECLARE_METATYPE(HandMadeArchive::Member)

namespace {

QByteArray cp932(const QString& text)
{
    return *LegacyText::encode(text);
}

// The files of the Japanese round trips: a CP932 character ending in 0x5C, a
// folder, an empty and a one-byte file, text and incompressible data.
QMap<QString, QByteArray> sampleFiles()
{
    return {
        {QStringLiteral("ソ表.txt"), text(5000)},
        {QStringLiteral("日本語フォルダ/データ.bin"), incompressible(70000, 7)},
        {QStringLiteral("empty.dat"), QByteArray()},
        {QStringLiteral("one.dat"), QByteArray("x")},
        {QStringLiteral("big.txt"), text(600000)},
    };
}

void writeAll(const QString& folder, const QMap<QString, QByteArray>& files)
{
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(writeFile(folder + '/' + it.key(), it.value()));
}

QString quoted(const QString& path)
{
    return '"' + path + '"';
}

} // namespace

class TestLhaArchive : public QObject
{
    Q_OBJECT

private slots:
    void extractsJlhaArchives_data();
    void extractsJlhaArchives();
    void extractWithoutPathsAndSelection();
    void hostileArchives_data();
    void hostileArchives();
    void tooDeepMemberLeavesNoFolders();
    void emptyFolderNames_data();
    void emptyFolderNames();
    void namesWithControlCharacters();
    void failedMemberKeepsExistingFile();
    void linksInDestinationAreNotFollowed();
    void storedPermissions_data();
    void storedPermissions();
    void checkArchiveModes();
    void memberSearch();
    void searchHandlesAreIndependent();
    void verificationUpdate_data();
    void verificationUpdate();
    void failedUpdateLeavesNoArchive();
    void namesDifferingInCase();
    void ourArchivesReadByJlha();
    void deleteAndTest();
    void missingLibraryRaises();
};

void TestLhaArchive::extractsJlhaArchives_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("method");
    QTest::newRow("-lh5-") << "ao5y" << QByteArray("-lh5-");
    QTest::newRow("-lh6-") << "ao6y" << QByteArray("-lh6-");
    QTest::newRow("-lh7-") << "ao7y" << QByteArray("-lh7-");
    QTest::newRow("level 0 header") << "a0y" << QByteArray("-lh5-");
    QTest::newRow("level 1 header") << "a1y" << QByteArray("-lh5-");
}

void TestLhaArchive::extractsJlhaArchives()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, method);
    QTemporaryDir work;
    const QString source = work.filePath("src");
    writeAll(source, sampleFiles());
    QVERIFY(runTool("jlha",
                    {option, work.filePath("a.lzh"), "ソ表.txt", "日本語フォルダ/データ.bin", "empty.dat",
                     "one.dat", "big.txt"},
                    source));
    QVERIFY(readFile(work.filePath("a.lzh")).contains(method));

    const Run run = unlha("x " + quoted(work.filePath("a.lzh")) + ' ' + quoted(work.filePath("out") + '/'));
    QCOMPARE(run.result, 0);
    QCOMPARE(tree(work.filePath("out")), sampleFiles());
    QCOMPARE(run.output.count("Melted "), 5);
    QVERIFY(run.output.contains("Melted 日本語フォルダ/データ.bin\n"));
    QVERIFY(UnlhaCheckArchive(work.filePath("a.lzh").toLocal8Bit(), CHECKARCHIVE_FULLCRC));
}

void TestLhaArchive::extractWithoutPathsAndSelection()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile(cp932("sub\\ソ表.txt"), "one", 0);
    HandMadeArchive::Member m;
    m.rawFolder = cp932("フォルダ") + char(0xFF);
    m.rawName = "b.DAT";
    m.data = "two";
    archive.add(m);
    archive.addFile("c.txt", "three");
    QVERIFY(writeFile(work.filePath("h.lzh"), archive.bytes()));

    // e drops stored folders; a quoted run of 17 blanks selects everything.
    Run run = unlha("e  " + quoted(work.filePath("h.lzh")) + ' ' + quoted(work.filePath("flat") + '/') + ' ' +
                    quoted(QString(17, ' ')));
    QCOMPARE(run.result, 0);
    QCOMPARE(tree(work.filePath("flat")),
             (QMap<QString, QByteArray>{{"ソ表.txt", "one"}, {"b.DAT", "two"}, {"c.txt", "three"}}));

    // Wildcards without a folder part look at the file name, case aside.
    run = unlha("x " + quoted(work.filePath("h.lzh")) + ' ' + quoted(work.filePath("sel") + '\\') + " *.dat");
    QCOMPARE(run.result, 0);
    QCOMPARE(tree(work.filePath("sel")), (QMap<QString, QByteArray>{{"フォルダ/b.DAT", "two"}}));
    QCOMPARE(run.output, QByteArray("Melted フォルダ/b.DAT\n"));
}

void TestLhaArchive::hostileArchives_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("expected"); // what may be extracted

    auto member = [](const QByteArray& name, const QByteArray& folder = {}) {
        HandMadeArchive::Member m;
        m.rawName = name;
        m.rawFolder = folder;
        m.data = "evil";
        return m;
    };
    const QByteArray good = HandMadeArchive().addFile("good.txt", "good").bytes(false);
    auto withGood = [&](const HandMadeArchive& a) { return good + a.bytes(); };

    QTest::newRow("parent in level 0 name") << withGood(HandMadeArchive().addFile("..\\evil.txt", "evil", 0))
                                            << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    QTest::newRow("parent in the middle")
        << withGood(HandMadeArchive().addFile("a/../../evil.txt", "evil", 0)) << ERROR_HEADER_BROKEN
        << QStringList{"good.txt"};
    QTest::newRow("parent in folder ext")
        << withGood(HandMadeArchive().add(member("evil.txt", QByteArray("..\xff..\xff", 6))))
        << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    QTest::newRow("dots and blanks") << withGood(HandMadeArchive().addFile(".. \\evil.txt", "evil", 0))
                                     << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    // A leading "/" or drive is dropped, but what follows is still checked.
    QTest::newRow("parent after a slash") << withGood(HandMadeArchive().addFile("/../evil.txt", "evil", 0))
                                          << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    QTest::newRow("parent after a drive") << withGood(HandMadeArchive().addFile("C:..\\evil.txt", "evil", 0))
                                          << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    QTest::newRow("parent in absolute folder ext")
        << withGood(HandMadeArchive().add(member("evil.txt", "\xff..\xff"))) << ERROR_HEADER_BROKEN
        << QStringList{"good.txt"};
    QTest::newRow("file without a name") << withGood(HandMadeArchive().addFile("./", "evil", 0))
                                         << ERROR_HEADER_BROKEN << QStringList{"good.txt"};
    QTest::newRow("stream name") << withGood(HandMadeArchive().addFile("a.txt:evil", "evil", 0))
                                 << ERROR_HEADER_BROKEN << QStringList{"good.txt"};

    HandMadeArchive::Member link = member("link|/etc");
    link.method = "-lhd-";
    link.data.clear();
    link.unixMode = 0120777;
    QTest::newRow("symlink member") << withGood(HandMadeArchive().add(link)) << ERROR_NOT_SUPPORT
                                    << QStringList{"good.txt"};

    const QByteArray sound =
        HandMadeArchive().addFile("a.txt", "alpha").addFile("b.txt", "bravo bravo").bytes();
    QTest::newRow("truncated member") << sound.left(sound.size() - 5) << ERROR_EOF << QStringList{};
    QTest::newRow("truncated header") << sound.left(40) << ERROR_EOF << QStringList{};

    HandMadeArchive two = HandMadeArchive().addFile("a.txt", "alpha").addFile("b.txt", "bravo bravo");
    QByteArray flipped = two.bytes();
    flipped[two.dataOffset(1) + 3] = char(flipped[two.dataOffset(1) + 3] ^ 0x20);
    QTest::newRow("flipped data byte") << flipped << ERROR_FILE_CRC << QStringList{"a.txt"};
    // A refused member takes the folders made for it along.
    HandMadeArchive inFolders =
        HandMadeArchive().addFile("a.txt", "alpha").add(member("b.txt", "new\xffsub\xff"));
    QByteArray flippedInFolders = inFolders.bytes();
    flippedInFolders[inFolders.dataOffset(1)] = 'E';
    QTest::newRow("flipped data byte in new folders")
        << flippedInFolders << ERROR_FILE_CRC << QStringList{"a.txt"};

    HandMadeArchive zero = HandMadeArchive().addFile("a.txt", "alpha", 0).addFile("b.txt", "bravo", 0);
    QByteArray corrupt = zero.bytes();
    corrupt[zero.dataOffset(1) - 4] = 'X'; // a name byte of the second header: checksum fails
    QTest::newRow("corrupt second header") << corrupt << ERROR_HEADER_CRC << QStringList{};
    QByteArray garbage = sound;
    garbage[3] = 'Z'; // no method name where the first header should be
    QTest::newRow("corrupt first header") << garbage << ERROR_NOT_ARC_FILE << QStringList{};
    QTest::newRow("not an archive") << QByteArray("just some text, not an archive\n") << ERROR_NOT_ARC_FILE
                                    << QStringList{};

    HandMadeArchive::Member huge = member("huge.bin");
    huge.declaredOriginal = 0xFFFFFFF0u;
    QTest::newRow("absurd original size")
        << withGood(HandMadeArchive().add(huge)) << ERROR_FILE_CRC << QStringList{"good.txt"};
    HandMadeArchive::Member hugeLh5 = member("huge5.bin");
    hugeLh5.method = "-lh5-";
    hugeLh5.declaredOriginal = 0x7FFFFFFFu;
    QTest::newRow("absurd size, compressed")
        << withGood(HandMadeArchive().add(hugeLh5)) << ERROR_FILE_CRC << QStringList{"good.txt"};
    HandMadeArchive::Member far = member("far.bin");
    far.declaredPacked = 0x7FFFFFFFu;
    QTest::newRow("packed size past the end")
        << withGood(HandMadeArchive().add(far)) << ERROR_EOF << QStringList{};
}

void TestLhaArchive::hostileArchives()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, error);
    QFETCH(QStringList, expected);
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath("hostile.lzh"), archive));
    const QString dest = work.filePath("outer/inner");
    QVERIFY(QDir().mkpath(dest));

    for (const QString& command : {QStringLiteral("x"), QStringLiteral("e")}) {
        const Run run =
            unlha(command + ' ' + quoted(work.filePath("hostile.lzh")) + ' ' + quoted(dest + '/'));
        QCOMPARE(run.result, error);
        QVERIFY(!run.output.isEmpty());
        QVERIFY2(!run.output.contains("Melted ") || !expected.isEmpty(), run.output.constData());
        // Nothing outside the destination, nothing half-written inside it.
        QStringList all = {"hostile.lzh", "outer", "outer/inner"};
        for (const QString& name : expected)
            all.append("outer/inner/" + name);
        all.sort();
        QCOMPARE(entries(work.path()), all);
        QVERIFY(!QFileInfo::exists("/tmp/evil.txt"));
        QDir(dest).removeRecursively();
        QVERIFY(QDir().mkpath(dest));
    }
}

void TestLhaArchive::tooDeepMemberLeavesNoFolders()
{
    QTemporaryDir work;
    HandMadeArchive::Member deep;
    deep.rawName = "deep.txt";
    deep.data = "deep";
    for (int i = 0; i < 3000; ++i)
        deep.rawFolder += "d\xff";
    QVERIFY(writeFile(work.filePath("deep.lzh"),
                      HandMadeArchive().addFile("good.txt", "good").add(deep).bytes()));
    const Run run =
        unlha("x " + quoted(work.filePath("deep.lzh")) + ' ' + quoted(work.filePath("dest") + '/'));
    QCOMPARE(run.result, ERROR_MAKEDIRECTORY);
    QCOMPARE(entries(work.filePath("dest")), QStringList{"good.txt"});
}

void TestLhaArchive::emptyFolderNames_data()
{
    QTest::addColumn<HandMadeArchive::Member>("folder");
    auto folder = [](const QByteArray& name, const QByteArray& folders, int level) {
        HandMadeArchive::Member m;
        m.method = "-lhd-";
        m.rawName = name;
        m.rawFolder = folders;
        m.level = level;
        return m;
    };
    // What Unix archivers write for "lha a x.lzh .", and its relatives.
    QTest::newRow("level 0, ./") << folder("./", {}, 0);
    QTest::newRow("level 0, /") << folder("/", {}, 0);
    QTest::newRow("level 2, folder .") << folder({}, ".\xff", 2);
    QTest::newRow("level 2, no name at all") << folder({}, {}, 2);
}

void TestLhaArchive::emptyFolderNames()
{
    QFETCH(HandMadeArchive::Member, folder);
    QTemporaryDir work;
    QVERIFY(
        writeFile(work.filePath("dot.lzh"), HandMadeArchive().add(folder).addFile("f.txt", "file").bytes()));
    for (const QString& command : {QStringLiteral("x"), QStringLiteral("e")}) {
        const QString dest = work.filePath(command);
        const Run run = unlha(command + ' ' + quoted(work.filePath("dot.lzh")) + ' ' + quoted(dest + '/'));
        QCOMPARE(run.result, 0);
        QCOMPARE(run.output, QByteArray("Melted f.txt\n"));
        QCOMPARE(entries(dest), QStringList{"f.txt"});
    }
}

void TestLhaArchive::namesWithControlCharacters()
{
    QTemporaryDir work;
    HandMadeArchive::Member forged;
    forged.rawName = "x\nMelted ../../evil";
    forged.data = "evil";
    QVERIFY(
        writeFile(work.filePath("c.lzh"), HandMadeArchive().addFile("good.txt", "good").add(forged).bytes()));
    Run run = unlha("x " + quoted(work.filePath("c.lzh")) + ' ' + quoted(work.filePath("out") + '/'));
    QCOMPARE(run.result, ERROR_HEADER_BROKEN);
    const QList<QByteArray> lines = run.output.split('\n');
    QCOMPARE(lines.first(), QByteArray("Melted good.txt"));
    QVERIFY2(lines.at(1).startsWith("Error x<0A>Melted ../../evil: refused"), run.output.constData());
    QCOMPARE(lines.size(), 3);

    UNLHA_HARC h = UnlhaOpenArchive(nullptr, work.filePath("c.lzh").toLocal8Bit(), 1);
    QVERIFY(h);
    UnlhaIndividualInfo info;
    QCOMPARE(UnlhaFindFirst(h, "*", nullptr), 0);
    QCOMPARE(UnlhaFindNext(h, &info), 0);
    QCOMPARE(QByteArray(info.fileName), QByteArray("x<0A>Melted ../../evil"));
    char name[260];
    QCOMPARE(UnlhaGetFileName(h, name, sizeof name), 0);
    QCOMPARE(QByteArray(name), QByteArray("x<0A>Melted ../../evil"));
    UnlhaCloseArchive(h);

    // A local file's name, printed when it is stored.
    QVERIFY(writeFile(work.filePath("src/a\rb.txt"), "a"));
    run = unlha("a " + quoted(work.filePath("n.lzh")) + ' ' + quoted(work.filePath("src") + '/') + " *.txt");
    QCOMPARE(run.result, 0);
    QCOMPARE(run.output, QByteArray("Frozen a<0D>b.txt\n"));
}

void TestLhaArchive::failedMemberKeepsExistingFile()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile("program.exe", "new version");
    QByteArray bytes = archive.bytes();
    bytes[archive.dataOffset(0)] = 'N' ^ 0x01;
    QVERIFY(writeFile(work.filePath("up.lzh"), bytes));
    QVERIFY(writeFile(work.filePath("dest/program.exe"), "old version"));

    const Run run = unlha("e " + quoted(work.filePath("up.lzh")) + ' ' + quoted(work.filePath("dest") + '/'));
    QCOMPARE(run.result, ERROR_FILE_CRC);
    QCOMPARE(entries(work.filePath("dest")), QStringList{"program.exe"});
    QCOMPARE(readFile(work.filePath("dest/program.exe")), QByteArray("old version"));
}

void TestLhaArchive::linksInDestinationAreNotFollowed()
{
    QTemporaryDir work;
    const QString outside = work.filePath("outside");
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(writeFile(outside + "/target.txt", "keep"));
    const QString dest = work.filePath("dest");
    QVERIFY(QDir().mkpath(dest));
    QVERIFY(QFile::link(outside, dest + "/sub"));
    QVERIFY(QFile::link(outside + "/target.txt", dest + "/file.txt"));
    QVERIFY(writeFile(work.filePath("l.lzh"), HandMadeArchive()
                                                  .addFile("sub\\evil.txt", "evil", 0)
                                                  .addFile("file.txt", "evil")
                                                  .addFile("fine.txt", "fine")
                                                  .bytes()));
    const Run run = unlha("x " + quoted(work.filePath("l.lzh")) + ' ' + quoted(dest + '/'));
    QVERIFY(run.result != 0);
    QCOMPARE(run.output.count("Melted "), 1);
    QCOMPARE(entries(outside), QStringList{"target.txt"});
    QCOMPARE(readFile(outside + "/target.txt"), QByteArray("keep"));
    QCOMPARE(readFile(dest + "/fine.txt"), QByteArray("fine"));
}

void TestLhaArchive::storedPermissions_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("expected");
    QTest::newRow("set-user-id dropped") << 0104755 << 022 << 0755;
    QTest::newRow("world-writable under 022") << 0100666 << 022 << 0644;
    QTest::newRow("everything under 027") << 0100777 << 027 << 0750;
    QTest::newRow("owner keeps reading") << 0100000 << 077 << 0400;
}

void TestLhaArchive::storedPermissions()
{
#ifdef Q_OS_UNIX
    QFETCH(int, stored);
    QFETCH(int, umask);
    QFETCH(int, expected);
    QTemporaryDir work;
    HandMadeArchive::Member m;
    m.rawName = "tool";
    m.data = "#!/bin/sh\n";
    m.unixMode = quint16(stored);
    QVERIFY(writeFile(work.filePath("p.lzh"), HandMadeArchive().add(m).bytes()));
    const mode_t previous = ::umask(mode_t(umask));
    const Run run = unlha("e " + quoted(work.filePath("p.lzh")) + ' ' + quoted(work.path() + '/'));
    ::umask(previous);
    QCOMPARE(run.result, 0);
    QCOMPARE(QFileInfo(work.filePath("tool")).lastModified().toSecsSinceEpoch(), 1234958400);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(work.filePath("tool")).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), expected);
#else
    QSKIP("Unix permission bits");
#endif
}

void TestLhaArchive::checkArchiveModes()
{
    QTemporaryDir work;
    HandMadeArchive five;
    for (int i = 0; i < 5; ++i)
        five.addFile("m" + QByteArray::number(i) + ".txt", "member " + QByteArray::number(i), 0);
    const QByteArray sound = five.bytes();
    QByteArray badData = sound;
    badData[five.dataOffset(4)] = '#';
    QByteArray badLastHeader = sound;
    badLastHeader[five.dataOffset(4) - 4] = '#';

    const QList<QPair<QByteArray, QList<int>>> cases = {
        {sound, {1, 1, 1}},
        {badData, {1, 1, 0}},
        {badLastHeader, {1, 0, 0}},
        {sound.left(sound.size() - 3), {1, 0, 0}},
        {QByteArray("MZ not an archive at all"), {0, 0, 0}},
        {QByteArray(), {0, 0, 0}},
        {QByteArray(1, '\0'), {0, 0, 0}},
    };
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const QString path = work.filePath(QString::number(i) + ".lzh");
        QVERIFY(writeFile(path, cases[i].first));
        for (int mode = 0; mode < 3; ++mode)
            QVERIFY2(bool(UnlhaCheckArchive(path.toLocal8Bit(), mode)) == bool(cases[i].second[mode]),
                     qPrintable(QStringLiteral("case %1 mode %2").arg(i).arg(mode)));
    }
    QCOMPARE(UnlhaCheckArchive(work.filePath("missing.lzh").toLocal8Bit(), 1), 0);
}

void TestLhaArchive::memberSearch()
{
    QTemporaryDir work;
    HandMadeArchive archive;
    archive.addFile(cp932("ソ表.txt"), "abc").addFile("b.dat", "12345", 0).addFile("c.TXT", "");
    HandMadeArchive::Member longName;
    longName.rawName = QByteArray(300, 'n');
    longName.data = "long";
    archive.add(longName);
    QVERIFY(writeFile(work.filePath("s.lzh"), archive.bytes()));

    UNLHA_HARC h = UnlhaOpenArchive(nullptr, work.filePath("s.lzh").toLocal8Bit(), 1);
    QVERIFY(h);
    UnlhaIndividualInfo info;
    char name[260];
    QCOMPARE(UnlhaGetFileName(h, name, sizeof name), ERROR_NOT_SEARCH_MODE);
    QCOMPARE(UnlhaFindFirst(h, "*.txt", &info), 0);
    QCOMPARE(QString::fromUtf8(info.fileName), QStringLiteral("ソ表.txt"));
    QCOMPARE(info.originalSize, 3u);
    QCOMPARE(QByteArray(info.mode), QByteArray("-lh0-"));
    QCOMPARE(UnlhaGetFileName(h, name, sizeof name), 0);
    QCOMPARE(QString::fromUtf8(name), QStringLiteral("ソ表.txt"));
    QCOMPARE(UnlhaFindNext(h, nullptr), 0);
    QCOMPARE(UnlhaGetFileName(h, name, sizeof name), 0);
    QCOMPARE(QByteArray(name), QByteArray("c.TXT"));
    QCOMPARE(UnlhaFindNext(h, nullptr), -1);
    QCOMPARE(UnlhaFindNext(h, nullptr), -1);

    // Blanks select every member; a name too long for the buffer is reported.
    QCOMPARE(UnlhaFindFirst(h, "                 ", nullptr), 0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(UnlhaFindNext(h, nullptr), 0);
    QCOMPARE(UnlhaGetFileName(h, name, sizeof name), ERROR_LONG_FILE_NAME);
    QCOMPARE(qstrlen(name), size_t(259));
    QCOMPARE(UnlhaCloseArchive(h), 0);
    QCOMPARE(UnlhaCloseArchive(h), ERROR_HARC_ISNOT_OPENED);
    QCOMPARE(UnlhaFindNext(h, nullptr), ERROR_HARC_ISNOT_OPENED);
    QCOMPARE(UnlhaFindFirst(reinterpret_cast<UNLHA_HARC>(0x1234), "*", nullptr), ERROR_HARC_ISNOT_OPENED);

    QVERIFY(!UnlhaOpenArchive(nullptr, work.filePath("none.lzh").toLocal8Bit(), 1));
    QVERIFY(writeFile(work.filePath("text.lzh"), "plain text"));
    QVERIFY(!UnlhaOpenArchive(nullptr, work.filePath("text.lzh").toLocal8Bit(), 1));
    QVERIFY(UnlhaGetVersion() >= 100);
}

void TestLhaArchive::searchHandlesAreIndependent()
{
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath("1.lzh"), HandMadeArchive().addFile("a1", "").addFile("a2", "").bytes()));
    QVERIFY(writeFile(work.filePath("2.lzh"), HandMadeArchive().addFile("b1", "").bytes()));
    UNLHA_HARC one = UnlhaOpenArchive(nullptr, work.filePath("1.lzh").toLocal8Bit(), 1);
    UNLHA_HARC two = UnlhaOpenArchive(nullptr, work.filePath("2.lzh").toLocal8Bit(), 1);
    QVERIFY(one && two && one != two);
    char name[64];
    QCOMPARE(UnlhaFindFirst(one, "*", nullptr), 0);
    QCOMPARE(UnlhaFindFirst(two, "*", nullptr), 0);
    QCOMPARE(UnlhaFindNext(one, nullptr), 0);
    QCOMPARE(UnlhaGetFileName(two, name, sizeof name), 0);
    QCOMPARE(QByteArray(name), QByteArray("b1"));
    QCOMPARE(UnlhaGetFileName(one, name, sizeof name), 0);
    QCOMPARE(QByteArray(name), QByteArray("a2"));
    QCOMPARE(UnlhaCloseArchive(two), 0);
    QCOMPARE(UnlhaFindNext(one, nullptr), -1);
    QCOMPARE(UnlhaCloseArchive(one), 0);
}

void TestLhaArchive::verificationUpdate_data()
{
    QTest::addColumn<bool>("backslashes");
    QTest::newRow("slashes") << false;
    QTest::newRow("backslashes") << true;
}

void TestLhaArchive::verificationUpdate()
{
    QFETCH(bool, backslashes);
    QTemporaryDir work;
    const QString temp = work.filePath("Prog Folder/Temp");
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("02月18日fan.data"), text(20000)},
        {QStringLiteral("02月17日fan.data"), text(3)},
        {QStringLiteral("02月Oz.mdb"), incompressible(40000, 3)},
        {QStringLiteral("README"), QByteArray("no suffix")},
    };
    writeAll(temp, files);
    auto native = [&](QString path) { return backslashes ? path.replace('/', '\\') : path; };
    // The line of the verification package: two blanks after u, quoted paths,
    // base folder ending in a separator, trailing blank.
    const QString line = "u  " + quoted(native(temp + "/Qorlith.lzh")) + ' ' + quoted(native(temp + '/')) +
                         ' ' + quoted(native(temp + "/*.*")) + ' ';
    Run run = unlha(line);
    QCOMPARE(run.result, 0);
    const QString archive = temp + "/Qorlith.lzh";
    QVERIFY(QFileInfo::exists(archive));
    QCOMPARE(entries(temp).size(), files.size() + 1); // no temporary file left

    QVERIFY(QDir().mkpath(work.filePath("check")));
    QVERIFY(runTool("jlha", {"xy", archive}, work.filePath("check")));
    QCOMPARE(tree(work.filePath("check")), files);

    // Nothing newer: the archive stays as it was.
    const QByteArray before = readFile(archive);
    run = unlha(line);
    QCOMPARE(run.result, 0);
    QCOMPARE(readFile(archive), before);

    // A newer file replaces its stored copy; the archive is not added to itself.
    const QString changed = temp + "/02月17日fan.data";
    QVERIFY(writeFile(changed, "changed"));
    QFile f(changed);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    f.close();
    run = unlha(line);
    QCOMPARE(run.result, 0);
    QCOMPARE(run.output, QByteArray("Frozen 02月17日fan.data\n"));
    run = unlha("x " + quoted(archive) + ' ' + quoted(work.filePath("again") + '/'));
    QCOMPARE(run.result, 0);
    QMap<QString, QByteArray> expected = files;
    expected["02月17日fan.data"] = "changed";
    QCOMPARE(tree(work.filePath("again")), expected);
}

void TestLhaArchive::failedUpdateLeavesNoArchive()
{
    QTemporaryDir work;
    const QString temp = work.filePath("Temp");
    QVERIFY(QDir().mkpath(temp));
    Run run =
        unlha("u  " + quoted(temp + "/Qorlith.lzh") + ' ' + quoted(temp + '/') + ' ' + quoted(temp + "/*.*"));
    QVERIFY(run.result != 0);
    QCOMPARE(entries(temp), QStringList());

    // A file that cannot be stored stops the update before anything replaces
    // the archive.
    QVERIFY(writeFile(temp + "/a.data", "a"));
    QCOMPARE(unlha("u " + quoted(temp + "/Q.lzh") + ' ' + quoted(temp + '/') + ' ' + quoted(temp + "/a.data"))
                 .result,
             0);
    const QByteArray before = readFile(temp + "/Q.lzh");
    QVERIFY(writeFile(temp + "/a.data", "newer a"));
    QFile touch(temp + "/a.data");
    QVERIFY(touch.open(QIODevice::ReadWrite));
    QVERIFY(touch.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touch.close();
    QVERIFY(writeFile(temp + QStringLiteral("/\U0001F600.data"), "no CP932 name"));
    run = unlha("u " + quoted(temp + "/Q.lzh") + ' ' + quoted(temp + '/') + ' ' + quoted(temp + "/*.data"));
    QVERIFY(run.result != 0);
    QCOMPARE(readFile(temp + "/Q.lzh"), before);
    QVERIFY(QFile::remove(temp + QStringLiteral("/\U0001F600.data")));

    // So does a file that cannot be read.
    QVERIFY(writeFile(temp + "/b.data", "b"));
    QFile::setPermissions(temp + "/b.data", QFileDevice::Permissions());
    if (QFile(temp + "/b.data").open(QIODevice::ReadOnly))
        QSKIP("running with rights that read any file");
    run = unlha("u " + quoted(temp + "/Q.lzh") + ' ' + quoted(temp + '/') + ' ' + quoted(temp + "/*.data"));
    QVERIFY(run.result != 0);
    QCOMPARE(readFile(temp + "/Q.lzh"), before);
    QCOMPARE(entries(temp), QStringList({"Q.lzh", "a.data", "b.data"}));
}

void TestLhaArchive::namesDifferingInCase()
{
    QTemporaryDir work;
    const QString src = work.filePath("src");
    QVERIFY(writeFile(src + "/Data.txt", "upper"));
    QVERIFY(writeFile(src + "/data.txt", "lower"));
    if (QFileInfo(src + "/Data.txt").size() != 5 || readFile(src + "/Data.txt") != "upper")
        QSKIP("this file system ignores letter case");
    const QString archive = quoted(work.filePath("case.lzh"));
    Run run = unlha("a " + archive + ' ' + quoted(src + '/') + " *.txt");
    QCOMPARE(run.result, 0);
    QCOMPARE(unlha("x " + archive + ' ' + quoted(work.filePath("one") + '/')).result, 0);
    QCOMPARE(tree(work.filePath("one")),
             (QMap<QString, QByteArray>{{"Data.txt", "upper"}, {"data.txt", "lower"}}));

    // u replaces the stored copy of exactly that name.
    QVERIFY(writeFile(src + "/data.txt", "newer"));
    QFile touch(src + "/data.txt");
    QVERIFY(touch.open(QIODevice::ReadWrite));
    QVERIFY(touch.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touch.close();
    run = unlha("u " + archive + ' ' + quoted(src + '/') + " *.txt");
    QCOMPARE(run.result, 0);
    QCOMPARE(run.output, QByteArray("Frozen data.txt\n"));
    QCOMPARE(unlha("x " + archive + ' ' + quoted(work.filePath("two") + '/')).result, 0);
    QCOMPARE(tree(work.filePath("two")),
             (QMap<QString, QByteArray>{{"Data.txt", "upper"}, {"data.txt", "newer"}}));
}

void TestLhaArchive::ourArchivesReadByJlha()
{
    QTemporaryDir work;
    const QString source = work.filePath("src");
    writeAll(source, sampleFiles());
    QFile::setPermissions(source + "/one.dat",
                          QFile::permissions(source + "/one.dat") | QFileDevice::ExeOwner);
    for (const QString& sw :
         {QStringLiteral("-jm0"), QStringLiteral("-jm4 -h1"), QStringLiteral("-jm3 -h0")}) {
        const QString archive = work.filePath("ours" + QString(sw).remove(' ') + ".lzh");
        const Run run = unlha("a -r " + sw + ' ' + quoted(archive) + ' ' + quoted(source + '/') + " *.*");
        QVERIFY2(run.result == 0, run.output.constData());
        const QString check = work.filePath("jlha" + QString(sw).remove(' '));
        QVERIFY(QDir().mkpath(check));
        QVERIFY(runTool("jlha", {"xy", archive}, check));
        QCOMPARE(tree(check), sampleFiles());

        const QString back = work.filePath("back" + QString(sw).remove(' '));
        QCOMPARE(unlha("x " + quoted(archive) + ' ' + quoted(back + '/')).result, 0);
        QCOMPARE(tree(back), sampleFiles());
        if (!sw.contains("-h0")) // level 0 carries no permission bits
            QVERIFY(QFileInfo(back + "/one.dat").isExecutable());
    }
}

void TestLhaArchive::deleteAndTest()
{
    QTemporaryDir work;
    const QString archive = work.filePath("d.lzh");
    QVERIFY(writeFile(
        archive,
        HandMadeArchive().addFile("a.txt", "a").addFile("b.txt", "b").addFile("c.dat", "c").bytes()));
    Run run = unlha("t " + quoted(archive));
    QCOMPARE(run.result, 0);
    QCOMPARE(run.output.count("Tested "), 3);
    QCOMPARE(unlha("d " + quoted(archive) + " *.txt").result, 0);
    run = unlha("l " + quoted(archive));
    QCOMPARE(run.result, 0);
    QVERIFY(run.output.contains("c.dat") && !run.output.contains("a.txt"));
    QCOMPARE(unlha("d " + quoted(archive) + " nothing.*").result, ERROR_NOT_EXIST);
    QCOMPARE(unlha("d " + quoted(archive) + " c.dat").result, 0);
    QVERIFY(!QFileInfo::exists(archive));

    HandMadeArchive broken;
    broken.addFile("x.txt", "data");
    QByteArray bytes = broken.bytes();
    bytes[broken.dataOffset(0)] = 'D';
    QVERIFY(writeFile(archive, bytes));
    run = unlha("t " + quoted(archive));
    QCOMPARE(run.result, ERROR_FILE_CRC);
}

void TestLhaArchive::missingLibraryRaises()
{
    UnlhaBinding::setLibraryPathForTesting(QStringLiteral("/nonexistent/libunlha32.so"));
    QVERIFY_THROWS_EXCEPTION(UnlhaBindingError, UnlhaBinding::getVersion());
    UnlhaBinding::setLibraryPathForTesting({});
    QCOMPARE(UnlhaBinding::getVersion(), UnlhaGetVersion());
}

QTEST_GUILESS_MAIN(TestLhaArchive)
#include "test_archive.moc"
