#include "platform/lha/compressor/HuffmanCode.h"
#include "platform/lha/compressor/LhaWriter.h"
#include "platform/lha/compressor/LzhEncoder.h"
#include "platform/lha/compressor/MatchFinder.h"
#include "platform/lha/format/Crc16.h"
#include "platform/lha/format/LhaHeader.h"
#include "platform/text/LegacyText.h"
#include "tests/platform/lha/compressor/LhasaArchive.h"
#include "tests/platform/lha/compressor/TestData.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace {

const QDateTime kStamp(QDate(2024, 3, 9), QTime(14, 25, 36), Qt::UTC);

LhaMemberInfo fileInfo(const QByteArray& name, quint16 mode = 0640)
{
    LhaMemberInfo info;
    info.nameCp932 = name;
    info.modified = kStamp;
    info.unixMode = mode;
    info.hasUnixMode = true;
    return info;
}

LhaWriteOptions optionsFor(LhaMethod method, int level = 2)
{
    LhaWriteOptions options;
    options.method = method;
    options.headerLevel = level;
    return options;
}

// Appends one member holding `data` to `out`; fails the test on an error.
void appendMember(QIODevice& out, const QByteArray& data, const LhaMemberInfo& info,
                  const LhaWriteOptions& options)
{
    QBuffer in;
    in.setData(data);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QString error;
    QVERIFY2(LhaWriter::writeMember(in, data.size(), info, options, out, &error), qPrintable(error));
}

QByteArray singleMemberArchive(const QByteArray& data, const LhaMemberInfo& info,
                               const LhaWriteOptions& options)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    appendMember(out, data, info, options);
    LhaWriter::writeEndOfArchive(out, nullptr);
    return out.data();
}

// Compressed data straight from the encoder, wrapped in a level-2 header, so that the block format can be
// checked without the writer's fallback to -lh0-.
QByteArray rawEncodedArchive(const QByteArray& data, int dictionaryBits, const LzhEncoder::Tuning& tuning)
{
    QByteArray packed;
    qsizetype pos = 0;
    LzhEncoder encoder(dictionaryBits, tuning);
    const auto result = encoder.encode(
        [&](char* buffer, std::int64_t capacity) {
            const qsizetype n = qMin<qsizetype>(qsizetype(capacity), data.size() - pos);
            std::memcpy(buffer, data.constData() + pos, size_t(n));
            pos += n;
            return std::int64_t(n);
        },
        [&](const char* bytes, std::int64_t n) {
            packed.append(bytes, qsizetype(n));
            return true;
        });
    if (result != LzhEncoder::Result::Done)
        return {};
    MemberHeader header;
    header.method = dictionaryBits == 13 ? "-lh5-" : dictionaryBits == 15 ? "-lh6-" : "-lh7-";
    header.packedSize = quint64(packed.size());
    header.originalSize = quint64(data.size());
    header.crc = Crc16::of(data.constData(), data.size());
    header.level = 2;
    header.rawPath = header.fileName = "raw.bin";
    header.modified = kStamp;
    return LhaHeader::serialise(header, nullptr).value_or(QByteArray()) + packed + '\0';
}

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
};

ToolRun runTool(const QString& program, const QStringList& args, const QString& workDir)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // jlha names files through the JVM, which follows the locale.
    env.insert("LANG", "C.UTF-8");
    env.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// Names as the file system holds them, raw bytes (lhasa writes CP932 names unchanged).
QMap<QByteArray, QByteArray> filesUnder(const QByteArray& dir, const QByteArray& prefix = {})
{
    QMap<QByteArray, QByteArray> files;
    DIR* d = opendir(dir.constData());
    if (!d)
        return files;
    while (dirent* e = readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray full = dir + '/' + name;
        if (e->d_type == DT_DIR) {
            files.insert(prefix + name + '/', QByteArray());
            files.insert(filesUnder(full, prefix + name + '/'));
        } else {
            FILE* fp = fopen(full.constData(), "rb");
            QByteArray content;
            if (fp) {
                char buf[65536];
                size_t n;
                while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
                    content.append(buf, qsizetype(n));
                fclose(fp);
            }
            files.insert(prefix + name, content);
        }
    }
    closedir(d);
    return files;
}

bool haveTool(const char* name)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

[[maybe_unused]] long peakRssKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A device that hands its data out as a pipe would: no seeking back.
class SequentialSource : public QIODevice
{
public:
    explicit SequentialSource(const QByteArray& data) : m_data(data) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() - m_offset + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_data.size() - m_offset);
        std::memcpy(data, m_data.constData() + m_offset, size_t(n));
        m_offset += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_offset = 0;
};

// Removes a folder whose entries may have names that are not valid in the locale's encoding.
void removeRaw(const QByteArray& path)
{
    if (DIR* d = opendir(path.constData())) {
        while (dirent* e = readdir(d)) {
            const QByteArray name(e->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray full = path + '/' + name;
            if (e->d_type == DT_DIR)
                removeRaw(full);
            else
                unlink(full.constData());
        }
        closedir(d);
    }
    rmdir(path.constData());
}

} // namespace

class TestLhaCompressor : public QObject
{
    Q_OBJECT

private slots:
    void huffmanLengthsLimitedAndComplete_data();
    void huffmanLengthsLimitedAndComplete();
    void matchFinder_data();
    void matchFinder();
    void roundTripThroughLhasa_data();
    void roundTripThroughLhasa();
    void blockFormatEdgeCases_data();
    void blockFormatEdgeCases();
    void headerLevels_data();
    void headerLevels();
    void levelTwoHeaderNeverStartsWithZeroByte();
    void peerToolsExtractWhatWeWrite();
    void fiftyMebibytesStreamInBoundedMemory();
    void failuresAreReported();
    void sequentialInput_data();
    void sequentialInput();
    void parallelBatchWritesTheSameBytesInOrder();
};

void TestLhaCompressor::huffmanLengthsLimitedAndComplete_data()
{
    QTest::addColumn<QList<quint32>>("freq");
    QList<quint32> fibonacci{1, 1};
    while (fibonacci.size() < 40)
        fibonacci.append(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
    QTest::newRow("fibonacci, deeper than 16 unlimited") << fibonacci;
    QList<quint32> sparse(510, 0);
    sparse[3] = 1000;
    sparse[509] = 1;
    sparse[260] = 5;
    QTest::newRow("sparse") << sparse;
    QList<quint32> skewed;
    for (int i = 0; i < 510; ++i)
        skewed.append(i < 20 ? 1u << (30 - i) : 1u);
    QTest::newRow("skewed 510 symbols") << skewed;
}

void TestLhaCompressor::huffmanLengthsLimitedAndComplete()
{
    QFETCH(QList<quint32>, freq);
    std::vector<std::uint8_t> lengths(freq.size());
    std::vector<std::uint16_t> codes(freq.size());
    HuffmanCode::buildLengths(freq.constData(), int(freq.size()), lengths.data());
    HuffmanCode::buildCodes(lengths.data(), int(freq.size()), codes.data());
    quint64 kraft = 0;
    for (int i = 0; i < freq.size(); ++i) {
        QCOMPARE(lengths[i] == 0, freq[i] == 0);
        QVERIFY(lengths[i] <= 16);
        if (lengths[i])
            kraft += quint64(1) << (16 - lengths[i]);
    }
    QCOMPARE(kraft, quint64(1) << 16); // a complete code: every bit pattern decodes
    for (int i = 0; i < freq.size(); ++i)
        for (int j = 0; j < freq.size(); ++j) {
            if (i == j || !lengths[i] || !lengths[j] || lengths[i] > lengths[j])
                continue;
            QVERIFY2((codes[j] >> (lengths[j] - lengths[i])) != codes[i], "one code is a prefix of another");
        }
}

void TestLhaCompressor::matchFinder_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("distance");

    // 600 eight-byte records that all start "AAA": the match of record 10 lies
    // far deeper than 256 entries with those three bytes.
    QByteArray records;
    for (int i = 0; i < 600; ++i)
        records += QByteArray("AAA") + char(i & 0xff) + char(i >> 8) + "xyz";
    const int end = int(records.size());
    QTest::newRow("long match behind many records")
        << records + records.mid(80, 40) + "!!!!" << end << 40 << end - 80;
    QTest::newRow("equal matches: the nearest") << QByteArray("abcd-abcd-abcd!") << 10 << 4 << 5;
    QTest::newRow("three bytes within reach")
        << QByteArray("xyz1") + QByteArray(96, '.') + "xyz2" << 100 << 3 << 100;
    QTest::newRow("three bytes too far")
        << QByteArray("xyz1") + TestData::random(2996, 4) + "xyz2" << 3000 << 0 << 0;
}

void TestLhaCompressor::matchFinder()
{
    QFETCH(QByteArray, data);
    QFETCH(int, at);
    QFETCH(int, length);
    QFETCH(int, distance);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    MatchFinder finder(13, 256, 128, 2048);
    for (int pos = 0; pos < at; ++pos)
        finder.insert(bytes + pos, std::uint32_t(pos), int(data.size()) - pos);
    const MatchFinder::Match m =
        finder.insertAndFind(bytes + at, std::uint32_t(at), qMin(int(data.size()) - at, 256), 0);
    QCOMPARE(m.length, length);
    if (length > 0)
        QCOMPARE(m.distance, distance);
}

void TestLhaCompressor::roundTripThroughLhasa_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expectedMethod");
    const struct
    {
        LhaMethod method;
        const char* id;
    } methods[] = {{LhaMethod::Lh0, "-lh0-"},
                   {LhaMethod::Lh5, "-lh5-"},
                   {LhaMethod::Lh6, "-lh6-"},
                   {LhaMethod::Lh7, "-lh7-"}};
    const QByteArray text = TestData::text(150000);
    const QByteArray noise = TestData::random(200000, 11);
    const QByteArray mixed = TestData::mixed(3 << 20, 5);
    for (const auto& m : methods) {
        const QByteArray compressedId = m.id;
        QTest::addRow("%s empty", m.id) << int(m.method) << QByteArray() << QByteArray("-lh0-");
        QTest::addRow("%s one byte", m.id) << int(m.method) << QByteArray("x") << QByteArray("-lh0-");
        QTest::addRow("%s text", m.id) << int(m.method) << text << compressedId;
        QTest::addRow("%s incompressible", m.id) << int(m.method) << noise << QByteArray("-lh0-");
        QTest::addRow("%s 3 MiB mixed", m.id) << int(m.method) << mixed << compressedId;
        QTest::addRow("%s one byte repeated", m.id)
            << int(m.method) << QByteArray(300000, 'z') << compressedId;
    }
}

void TestLhaCompressor::roundTripThroughLhasa()
{
    QFETCH(int, method);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expectedMethod);
    const QByteArray archive =
        singleMemberArchive(data, fileInfo("member.bin"), optionsFor(LhaMethod(method)));
    const LhasaArchive read = readWithLhasa(archive);
    QVERIFY(read.reachedEnd);
    QCOMPARE(read.members.size(), 1);
    const LhasaMember& m = read.members[0];
    QCOMPARE(m.method, expectedMethod);
    QCOMPARE(m.length, quint64(data.size()));
    QVERIFY(m.crcMatches);
    QVERIFY(m.data == data);
    if (expectedMethod != "-lh0-")
        QVERIFY(m.compressedLength < quint64(data.size()));
}

void TestLhaCompressor::blockFormatEdgeCases_data()
{
    QTest::addColumn<int>("dictionaryBits");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<LzhEncoder::Tuning>("tuning");
    const QByteArray text = TestData::text(60000);
    for (int bits : {13, 15, 16}) {
        const LzhEncoder::Tuning normal = LzhEncoder::defaultTuning(bits);
        LzhEncoder::Tuning literalsOnly = normal;
        literalsOnly.maxChain = 0;
        LzhEncoder::Tuning tinyBlocks = normal;
        tinyBlocks.codesPerBlock = 3;
        LzhEncoder::Tuning fullBlocks = normal;
        fullBlocks.codesPerBlock = 65535;
        fullBlocks.maxChain = 4;
        QTest::addRow("%d: one symbol only", bits) << bits << QByteArray(5000, 'q') << literalsOnly;
        QTest::addRow("%d: two symbols, no offsets", bits)
            << bits << QByteArray("ab").repeated(3000) << literalsOnly;
        QTest::addRow("%d: one offset only", bits) << bits << QByteArray(100000, '\x7f') << normal;
        QTest::addRow("%d: blocks of three codes", bits) << bits << text << tinyBlocks;
        QTest::addRow("%d: 65535 codes per block", bits) << bits << TestData::random(150000, 9) << fullBlocks;
        QTest::addRow("%d: matches at the window's edge", bits)
            << bits << TestData::mixed(1 << 20, 21) << normal;
    }
}

void TestLhaCompressor::blockFormatEdgeCases()
{
    QFETCH(int, dictionaryBits);
    QFETCH(QByteArray, data);
    QFETCH(LzhEncoder::Tuning, tuning);
    const QByteArray archive = rawEncodedArchive(data, dictionaryBits, tuning);
    QVERIFY(!archive.isEmpty());
    const LhasaArchive read = readWithLhasa(archive);
    QCOMPARE(read.members.size(), 1);
    QVERIFY(read.members[0].crcMatches);
    QVERIFY(read.members[0].data == data);
}

void TestLhaCompressor::headerLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("directory");
    QTest::addColumn<QByteArray>("expectedPath");
    for (int level : {0, 1, 2}) {
        QTest::addRow("level %d nested", level)
            << level << "dir\\sub/file.txt" << false << QByteArray("dir/sub/file.txt");
        QTest::addRow("level %d Japanese", level)
            << level << QStringLiteral("日本語/データ.txt") << false
            << LegacyText::encode(QStringLiteral("日本語/データ.txt")).value();
        QTest::addRow("level %d directory", level) << level << "dir/sub" << true << QByteArray("dir/sub/");
    }
    // Second bytes equal to '\' (0x5C) must not split a name; only level 2 keeps '\' out of its paths.
    QTest::addRow("level 2 Japanese with 0x5C")
        << 2 << QStringLiteral("ソフト/表.txt") << false
        << LegacyText::encode(QStringLiteral("ソフト/表.txt")).value();
}

void TestLhaCompressor::headerLevels()
{
    QFETCH(int, level);
    QFETCH(QString, name);
    QFETCH(bool, directory);
    QFETCH(QByteArray, expectedPath);
    LhaMemberInfo info = fileInfo(LegacyText::encode(name).value(), 0750);
    info.isDirectory = directory;
    const QByteArray data = TestData::text(5000);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    if (directory)
        QVERIFY2(LhaWriter::writeDirectory(info, optionsFor(LhaMethod::Lh5, level), out, &error),
                 qPrintable(error));
    else
        appendMember(out, data, info, optionsFor(LhaMethod::Lh5, level));
    appendMember(out, "after", fileInfo("next"), optionsFor(LhaMethod::Lh5, level));
    LhaWriter::writeEndOfArchive(out, nullptr);

    const LhasaArchive read = readWithLhasa(out.data());
    QVERIFY(read.reachedEnd);
    QCOMPARE(read.members.size(), 2);
    const LhasaMember& m = read.members[0];
    QCOMPARE(m.headerLevel, level);
    QCOMPARE(m.path, expectedPath);
    QCOMPARE(m.method, directory ? QByteArray("-lhd-") : QByteArray("-lh5-"));
    if (!directory) {
        QVERIFY(m.crcMatches);
        QVERIFY(m.data == data);
    }
    // Level 2 keeps Unix time; levels 0 and 1 keep local MS-DOS time, even seconds only.
    const qint64 expectedTime = level == 2 ? kStamp.toSecsSinceEpoch() : kStamp.toSecsSinceEpoch() / 2 * 2;
    QCOMPARE(qint64(m.timestamp), expectedTime);
    if (level > 0) {
        QVERIFY(m.hasUnixPerms);
        QCOMPARE(m.unixPerms, (directory ? 040000u : 0100000u) | 0750u);
    }
    QCOMPARE(read.members[1].data, QByteArray("after"));
}

void TestLhaCompressor::levelTwoHeaderNeverStartsWithZeroByte()
{
    // 39 bytes of header besides a 217-byte name: the size would be 0x0100.
    const QByteArray name(217, 'n');
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    appendMember(out, "payload", fileInfo(name), optionsFor(LhaMethod::Lh5));
    appendMember(out, "second", fileInfo("b"), optionsFor(LhaMethod::Lh5));
    LhaWriter::writeEndOfArchive(out, nullptr);
    QVERIFY(out.data().at(0) != '\0');
    const LhasaArchive read = readWithLhasa(out.data());
    QVERIFY(read.reachedEnd);
    QCOMPARE(read.members.size(), 2);
    QCOMPARE(read.members[0].path, name);
    QCOMPARE(read.members[1].data, QByteArray("second"));
}

void TestLhaCompressor::peerToolsExtractWhatWeWrite()
{
    if (!haveTool("lhasa") || !haveTool("jlha"))
        QSKIP("lhasa and jlha are needed");
    // One archive mixing header levels, methods and contents, so that each tool starts only once.
    struct Entry
    {
        QString name;
        QByteArray data;
        LhaMethod method;
        int level;
    };
    const QList<Entry> entries = {
        {"empty.txt", {}, LhaMethod::Lh5, 2},
        {"one.bin", "1", LhaMethod::Lh6, 2},
        {"text5.txt", TestData::text(120000), LhaMethod::Lh5, 2},
        {"text6.txt", TestData::text(130000), LhaMethod::Lh6, 1},
        {"text7.txt", TestData::text(140000), LhaMethod::Lh7, 0},
        {"noise.bin", TestData::random(70000, 4), LhaMethod::Lh7, 2},
        {"mixed/lh5.dat", TestData::mixed(700000, 1), LhaMethod::Lh5, 2},
        {"mixed/lh6.dat", TestData::mixed(700000, 2), LhaMethod::Lh6, 1},
        {"mixed/lh7.dat", TestData::mixed(700000, 3), LhaMethod::Lh7, 2},
        {QStringLiteral("ソフト表/検証データ.dat"), TestData::text(3000), LhaMethod::Lh7, 2},
        {QStringLiteral("日本語.txt"), TestData::text(2000), LhaMethod::Lh5, 1},
    };
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile archive(dir.filePath("peers.lzh"));
    QVERIFY(archive.open(QIODevice::WriteOnly));
    for (const Entry& e : entries)
        appendMember(archive, e.data, fileInfo(LegacyText::encode(e.name).value(), 0644),
                     optionsFor(e.method, e.level));
    for (int level : {1, 2}) {
        LhaMemberInfo folder = fileInfo(QByteArray("folder") + QByteArray::number(level), 0755);
        folder.isDirectory = true;
        QVERIFY(LhaWriter::writeDirectory(folder, optionsFor(LhaMethod::Lh5, level), archive, nullptr));
    }
    QVERIFY(LhaWriter::writeEndOfArchive(archive, nullptr));
    archive.close();

    const ToolRun test = runTool("lhasa", {"t", archive.fileName()}, dir.path());
    QVERIFY2(test.exitCode == 0, test.output.constData());

    QVERIFY(QDir(dir.path()).mkdir("lhasa"));
    const auto cleanup = qScopeGuard([&] { removeRaw(QFile::encodeName(dir.filePath("lhasa"))); });
    const ToolRun lhasaX = runTool("lhasa", {"xq", archive.fileName()}, dir.filePath("lhasa"));
    QVERIFY2(lhasaX.exitCode == 0, lhasaX.output.constData());
    QVERIFY(QDir(dir.path()).mkdir("jlha"));
    const ToolRun jlhaX = runTool("jlha", {"xqy", archive.fileName()}, dir.filePath("jlha"));
    QVERIFY2(jlhaX.exitCode == 0, jlhaX.output.constData());

    const auto byLhasa = filesUnder(QFile::encodeName(dir.filePath("lhasa")));
    const auto byJlha = filesUnder(QFile::encodeName(dir.filePath("jlha")));
    for (const Entry& e : entries) {
        const QByteArray cp932 = LegacyText::encode(e.name).value();
        QVERIFY2(byLhasa.contains(cp932), cp932.constData());
        QVERIFY2(byLhasa.value(cp932) == e.data, "lhasa extracted other data");
        const QByteArray utf8 = e.name.toUtf8();
        QVERIFY2(byJlha.contains(utf8), utf8.constData());
        QVERIFY2(byJlha.value(utf8) == e.data, "jlha extracted other data");
    }
    for (const QByteArray folder : {"folder1/", "folder2/"}) {
        QVERIFY2(byLhasa.contains(folder), folder.constData());
        QVERIFY2(byJlha.contains(folder), folder.constData());
    }
}

void TestLhaCompressor::fiftyMebibytesStreamInBoundedMemory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile source(dir.filePath("big.dat"));
    QVERIFY(source.open(QIODevice::WriteOnly));
    const qint64 size = qint64(50) << 20;
    const QByteArray piece = TestData::mixed(1 << 20, 17);
    for (qint64 i = 0; i < size / piece.size(); ++i) {
        QByteArray chunk = piece;
        chunk[int(i)] = char(i); // no two mebibytes alike
        QCOMPARE(source.write(chunk), qint64(chunk.size()));
    }
    source.close();

#if !defined(__SANITIZE_ADDRESS__)
    const long rssBefore = peakRssKiB();
#endif
    QVERIFY(source.open(QIODevice::ReadOnly));
    QFile archive(dir.filePath("big.lzh"));
    QVERIFY(archive.open(QIODevice::WriteOnly));
    QString error;
    QVERIFY2(LhaWriter::writeMember(source, size, fileInfo("big.dat"), optionsFor(LhaMethod::Lh7), archive,
                                    &error),
             qPrintable(error));
    QVERIFY(LhaWriter::writeEndOfArchive(archive, nullptr));
    archive.close();
#if !defined(__SANITIZE_ADDRESS__)
    const long grownKiB = peakRssKiB() - rssBefore;
    QVERIFY2(grownKiB < 24 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 KiB").arg(grownKiB)));
#endif

    const LhasaArchive read = checkFileWithLhasa(archive.fileName());
    QCOMPARE(read.members.size(), 1);
    QCOMPARE(read.members[0].method, QByteArray("-lh7-"));
    QCOMPARE(read.members[0].length, quint64(size));
    QVERIFY(read.members[0].crcMatches);
    if (haveTool("lhasa")) {
        const ToolRun test = runTool("lhasa", {"t", archive.fileName()}, dir.path());
        QVERIFY2(test.exitCode == 0, test.output.constData());
    }
}

void TestLhaCompressor::failuresAreReported()
{
    const QByteArray data = TestData::text(10000);
    QString error;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    auto write = [&](qint64 announced, const LhaMemberInfo& info, const LhaWriteOptions& options) {
        QBuffer in;
        in.setData(data);
        in.open(QIODevice::ReadOnly);
        error.clear();
        return LhaWriter::writeMember(in, announced, info, options, out, &error);
    };
    QVERIFY(!write(data.size() + 1, fileInfo("a"), optionsFor(LhaMethod::Lh5)));
    QVERIFY(error.contains("shrank"));
    QVERIFY(!write(data.size() - 1, fileInfo("a"), optionsFor(LhaMethod::Lh5)));
    QVERIFY(error.contains("grew"));
    QVERIFY(!write(data.size() - 1, fileInfo("a"), optionsFor(LhaMethod::Lh0)));
    QVERIFY(error.contains("grew"));
    QVERIFY(!write(data.size(), fileInfo("a"), optionsFor(LhaMethod::Lh5, 3)));
    QVERIFY(!error.isEmpty());
    QVERIFY(!write(data.size(), fileInfo("//"), optionsFor(LhaMethod::Lh5)));
    QVERIFY(!error.isEmpty());
    QVERIFY(!write(data.size(), fileInfo("safe/../../etc/passwd"), optionsFor(LhaMethod::Lh5)));
    QVERIFY(error.contains("leaves"));
    QVERIFY(!write(data.size(), fileInfo(QByteArray(240, 'n')), optionsFor(LhaMethod::Lh5, 0)));
    QVERIFY(error.contains("too long"));
    QCOMPARE(out.size(), qint64(0)); // nothing half-written

    QFile full("/dev/full");
    if (full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        QBuffer in;
        in.setData(data);
        in.open(QIODevice::ReadOnly);
        QVERIFY(!LhaWriter::writeMember(in, data.size(), fileInfo("a"), optionsFor(LhaMethod::Lh5), full,
                                        &error));
        QVERIFY(!error.isEmpty());
    }
}

void TestLhaCompressor::sequentialInput_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expectedMethod");
    QTest::newRow("compressible") << TestData::text(90000) << QByteArray("-lh6-");
    QTest::newRow("incompressible, read twice") << TestData::random(90000, 8) << QByteArray("-lh0-");
}

void TestLhaCompressor::sequentialInput()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expectedMethod);
    SequentialSource in(data);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY2(
        LhaWriter::writeMember(in, data.size(), fileInfo("pipe"), optionsFor(LhaMethod::Lh6), out, &error),
        qPrintable(error));
    LhaWriter::writeEndOfArchive(out, nullptr);
    const LhasaArchive read = readWithLhasa(out.data());
    QCOMPARE(read.members.size(), 1);
    QCOMPARE(read.members[0].method, expectedMethod);
    QVERIFY(read.members[0].data == data);
}

void TestLhaCompressor::parallelBatchWritesTheSameBytesInOrder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QList<LhaMemberSource> members;
    QList<QByteArray> contents;
    for (int i = 0; i < 9; ++i) {
        const QByteArray data = i % 3 == 2 ? TestData::random(30000 + i, quint32(i))
                                           : TestData::mixed(60000 * (i + 1), quint32(i));
        const QString path = dir.filePath(QStringLiteral("f%1").arg(i));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
        f.close();
        LhaMemberSource source;
        source.localPath = path;
        source.info = fileInfo(QByteArray("batch/f") + QByteArray::number(i));
        members.append(source);
        contents.append(data);
        if (i == 4) {
            LhaMemberSource folder;
            folder.info = fileInfo("batch/folder");
            folder.info.isDirectory = true;
            members.append(folder);
            contents.append(QByteArray());
        }
    }

    LhaWriteOptions options = optionsFor(LhaMethod::Lh7);
    QBuffer sequential;
    sequential.open(QIODevice::WriteOnly);
    for (const LhaMemberSource& m : members) {
        QString error;
        if (m.info.isDirectory) {
            QVERIFY(LhaWriter::writeDirectory(m.info, options, sequential, &error));
            continue;
        }
        QFile f(m.localPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(LhaWriter::writeMember(f, f.size(), m.info, options, sequential, &error), qPrintable(error));
    }

    options.threads = 2;
    QBuffer parallel;
    parallel.open(QIODevice::WriteOnly);
    QList<qsizetype> order;
    QString error;
    QVERIFY2(
        LhaWriter::writeMembers(members, options, parallel, &error, [&](qsizetype i) { order.append(i); }),
        qPrintable(error));
    QCOMPARE(order.size(), members.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        QCOMPARE(order[i], i);
    QVERIFY(parallel.data() == sequential.data());
    LhaWriter::writeEndOfArchive(parallel, nullptr);
    const LhasaArchive read = readWithLhasa(parallel.data());
    QCOMPARE(read.members.size(), members.size());
    for (qsizetype i = 0; i < members.size(); ++i)
        QVERIFY(read.members[i].data == contents[i]);

    members[6].localPath = dir.filePath("missing");
    QBuffer failed;
    failed.open(QIODevice::WriteOnly);
    QVERIFY(!LhaWriter::writeMembers(members, options, failed, &error));
    QVERIFY(error.contains("missing"));
}

QTEST_GUILESS_MAIN(TestLhaCompressor)
#include "test_encoder.moc"
