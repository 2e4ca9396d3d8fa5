// Archives written by other LHA programs (LArc, OS-9, Amiga and MorphOS,
// classic Mac, tools that store absolute names), built byte by byte: our
// library must extract each to the same files as lhasa, an independent
// reader, and never outside the destination.

#include "platform/lha/command/unlha32.h"
#include "tests/platform/lha/format/LarcStreams.h"
#include "tests/platform/lha/support/HandMadeArchive.h"
#include "tests/platform/lha/support/LhaTestTools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace LhaTestTools;
using Files = QMap<QString, QByteArray>;

namespace {

constexpr quint32 kMemberTime = 1234958400;
constexpr quint32 kMacEpochOffset = 2082844800;

HandMadeArchive::Member member(const QByteArray& name, const QByteArray& data, int level)
{
    HandMadeArchive::Member m;
    m.rawName = name;
    m.data = data;
    m.level = level;
    return m;
}

HandMadeArchive::Member larc(const QByteArray& method, const QByteArray& name, const QByteArray& data)
{
    HandMadeArchive::Member m = member(name, data, 0);
    m.method = method;
    m.packed = method == "-lz5-" ? LarcStreams::lz5(data) : LarcStreams::lzs(data);
    return m;
}

// What a Mac archiver stores: a MacBinary header, the data fork and the
// resource fork, each padded to 128 bytes. `macTime` is local Mac time.
QByteArray macBinary(const QByteArray& name, const QByteArray& dataFork, const QByteArray& resourceFork,
                     quint32 macTime)
{
    QByteArray h(128, '\0');
    h[1] = char(name.size());
    h.replace(2, name.size(), name);
    h.replace(0x41, 8, "TEXTttxt");
    qToBigEndian<quint32>(quint32(dataFork.size()), h.data() + 0x53);
    qToBigEndian<quint32>(quint32(resourceFork.size()), h.data() + 0x57);
    qToBigEndian<quint32>(macTime, h.data() + 0x5b);
    qToBigEndian<quint32>(macTime, h.data() + 0x5f);
    auto padded = [](QByteArray b) { return b + QByteArray((128 - b.size() % 128) % 128, '\0'); };
    return h + padded(dataFork) + padded(resourceFork);
}

HandMadeArchive::Member mac(const QByteArray& name, const QByteArray& data)
{
    HandMadeArchive::Member m = member(name, data, 2);
    m.osType = 'm';
    return m;
}

} // namespace

class TestLhaOtherArchivers : public QObject
{
    Q_OBJECT

private slots:
    void extractLikeLhasa_data();
    void extractLikeLhasa();
};

void TestLhaOtherArchivers::extractLikeLhasa_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<Files>("expected");
    QTest::addColumn<bool>("lhasaAgrees"); // false where we differ on purpose

    // Packed data that crosses the reader's 64 KiB blocks; in the -lz5- one a
    // two-byte match item straddles the first block's end.
    const QByteArray long1 = 'x' + text(700000);
    const QByteArray long2 = incompressible(30000, 2) + text(200000);
    QTest::newRow("LArc -lz5-") << HandMadeArchive().add(larc("-lz5-", "larc5.dat", long1)).bytes()
                                << Files{{"larc5.dat", long1}} << true;
    QTest::newRow("LArc -lzs-") << HandMadeArchive().add(larc("-lzs-", "larcs.dat", long2)).bytes()
                                << Files{{"larcs.dat", long2}} << true;

    HandMadeArchive::Member os9 = member("os9.txt", "OS-9 data\n", 2);
    os9.osType = 'K';
    os9.unixMode = 0x1b; // OS-9 bits: owner and public read and write
    QTest::newRow("OS-9/68k level 2")
        << HandMadeArchive().add(os9).bytes() << Files{{"os9.txt", "OS-9 data\n"}} << true;

    HandMadeArchive::Member abs1 = member("a1.txt", "one", 1);
    abs1.rawFolder = "\xff"
                     "abs\xffsub\xff";
    HandMadeArchive::Member abs2 = member("a2.txt", "two", 2);
    abs2.rawFolder = "\xff"
                     "abs\xff";
    QTest::newRow("absolute names, levels 0 to 2") << HandMadeArchive()
                                                          .addFile("/abs/dir/a0.txt", "zero", 0)
                                                          .addFile("\\abs\\b0.txt", "back", 0)
                                                          .add(abs1)
                                                          .add(abs2)
                                                          .bytes()
                                                   << Files{{"abs/dir/a0.txt", "zero"},
                                                            {"abs/b0.txt", "back"},
                                                            {"abs/sub/a1.txt", "one"},
                                                            {"abs/a2.txt", "two"}}
                                                   << true;
    // lhasa keeps "C:" as a folder name; the drive goes here, as Windows tools drop it.
    QTest::newRow("drive letter") << HandMadeArchive().addFile("C:\\abs\\d0.txt", "drive", 0).bytes()
                                  << Files{{"abs/d0.txt", "drive"}} << false;

    const QByteArray fork = QByteArray("Mac data fork\n").repeated(12);
    const QByteArray resources = QByteArray("RSRC").repeated(40);
    const quint32 macTime = kMemberTime + kMacEpochOffset + 9 * 3600; // a Japanese Mac's clock
    QTest::newRow("MacBinary, data fork")
        << HandMadeArchive().add(mac("mac.txt", macBinary("mac.txt", fork, {}, macTime))).bytes()
        << Files{{"mac.txt", fork}} << true;
    QTest::newRow("MacBinary, resource fork only")
        << HandMadeArchive().add(mac("res.txt", macBinary("res.txt", {}, resources, macTime))).bytes()
        << Files{{"res.txt", resources}} << true;
    const QByteArray stored = macBinary("other.bin", fork, {}, macTime);
    QTest::newRow("MacBinary file stored as such")
        << HandMadeArchive().add(mac("mac.bin", stored)).bytes() << Files{{"mac.bin", stored}} << true;
    const QByteArray unrelated = macBinary("far.txt", fork, {}, macTime + 20 * 3600);
    QTest::newRow("MacBinary of another time")
        << HandMadeArchive().add(mac("far.txt", unrelated)).bytes() << Files{{"far.txt", unrelated}} << true;

    HandMadeArchive::Member amiga1 = member(QByteArray("c1.txt\0comment", 14), "level 1", 1);
    amiga1.osType = 'A';
    HandMadeArchive::Member morphos = member(QByteArray("c2.txt\0comment", 14), "level 2", 2);
    morphos.osType = 'A';
    morphos.extensions = {{'\x3f', "a comment header"}, {'\x71', "an Amiga comment"}};
    QTest::newRow("Amiga and MorphOS comments")
        << HandMadeArchive()
               .addFile(QByteArray("c0.txt\0This is a comment", 24), "level 0", 0)
               .add(amiga1)
               .add(morphos)
               .bytes()
        << Files{{"c0.txt", "level 0"}, {"c1.txt", "level 1"}, {"c2.txt", "level 2"}} << true;
}

void TestLhaOtherArchivers::extractLikeLhasa()
{
    QFETCH(QByteArray, archive);
    QFETCH(Files, expected);
    QFETCH(bool, lhasaAgrees);
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath("other.lzh"), archive));

    const Run run = unlha("x " + work.filePath("other.lzh") + ' ' + work.filePath("ours") + '/');
    QVERIFY2(run.result == 0, run.output.constData());
    QCOMPARE(tree(work.filePath("ours")), expected);
    QVERIFY(QDir().mkpath(work.filePath("lhasa")));
    QByteArray said;
    QVERIFY2(runTool("lhasa", {"x", work.filePath("other.lzh")}, work.filePath("lhasa"), &said), said);
    if (lhasaAgrees)
        QCOMPARE(tree(work.filePath("lhasa")), tree(work.filePath("ours")));
    for (const QString& entry : entries(work.path()))
        QVERIFY2(entry == "other.lzh" || entry.startsWith("ours") || entry.startsWith("lhasa"),
                 qPrintable(entry));
    QVERIFY(!QFileInfo::exists("/abs"));
}

QTEST_GUILESS_MAIN(TestLhaOtherArchivers)
#include "test_other_archivers.moc"
