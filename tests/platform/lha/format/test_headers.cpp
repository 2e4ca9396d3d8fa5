// The header format on its own: what one header module writes it reads back
// the same at every level, level 3 (read only), names made for storing, the
// CRC.

#include "platform/lha/format/Crc16.h"
#include "platform/lha/format/LhaHeader.h"
#include "platform/lha/format/MemberPath.h"
#include "platform/text/LegacyText.h"
#include "tests/platform/lha/support/LhaTestTools.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>

namespace {

const QDateTime kStamp(QDate(2024, 3, 9), QTime(14, 25, 36), Qt::UTC);

LhaHeader::ReadResult readBack(const QByteArray& bytes)
{
    QBuffer archive;
    archive.setData(bytes + QByteArray(1, '\0'));
    archive.open(QIODevice::ReadOnly);
    return LhaHeader::readAt(archive, 0);
}

} // namespace

class TestLhaFormat : public QObject
{
    Q_OBJECT

private slots:
    void headersReadBackAsWritten_data();
    void headersReadBackAsWritten();
    void readsLevelThree();
    void pathSplitting_data();
    void pathSplitting();
    void crc16KnownVectors();
};

void TestLhaFormat::headersReadBackAsWritten_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("directory");
    QTest::addColumn<QString>("display"); // the path a reader makes of it
    for (int level : {0, 1, 2}) {
        QTest::addRow("level %d nested", level)
            << level << "dir\\sub/file.txt" << false << "dir/sub/file.txt";
        // Second bytes equal to '\' (0x5C) must not split a name.
        QTest::addRow("level %d Japanese with 0x5C", level)
            << level << QStringLiteral("ソフト/表.txt") << false << QStringLiteral("ソフト/表.txt");
        QTest::addRow("level %d folder", level) << level << "dir/sub" << true << "dir/sub/";
    }
}

void TestLhaFormat::headersReadBackAsWritten()
{
    QFETCH(int, level);
    QFETCH(QString, name);
    QFETCH(bool, directory);
    QFETCH(QString, display);
    const auto stored = MemberPath::forStoring(LegacyText::encode(name).value(), directory, nullptr);
    QVERIFY(stored);
    MemberHeader written;
    written.method = directory ? "-lhd-" : "-lh5-";
    written.packedSize = directory ? 0 : 1234;
    written.originalSize = directory ? 0 : 56789;
    written.crc = directory ? 0 : 0xBEEF;
    written.level = level;
    written.osType = OsType::kUnix;
    written.rawPath = stored->rawPath;
    written.fileName = stored->fileName;
    written.modified = kStamp;
    written.unixMode = quint16((directory ? UnixFileType::kDirectory : UnixFileType::kRegular) | 0750);
    QString error;
    const std::optional<QByteArray> bytes = LhaHeader::serialise(written, &error);
    QVERIFY2(bytes, qPrintable(error));

    const LhaHeader::ReadResult read = readBack(*bytes);
    QCOMPARE(read.kind, LhaHeader::ReadResult::Kind::Member);
    const MemberHeader& h = read.header;
    QCOMPARE(h.headerSize, qint64(bytes->size()));
    QCOMPARE(h.level, level);
    QCOMPARE(h.method, written.method);
    QCOMPARE(h.packedSize, written.packedSize);
    QCOMPARE(h.originalSize, written.originalSize);
    QCOMPARE(h.crc, written.crc);
    QCOMPARE(h.isDirectory(), directory);
    QCOMPARE(MemberPath::fromRaw(h.rawPath).display(), display);
    QCOMPARE(h.modified.toSecsSinceEpoch(),
             kStamp.toSecsSinceEpoch()); // even seconds: MS-DOS time keeps them
    // Level 0 has no room for the mode; the others keep it and the OS.
    QCOMPARE(h.unixMode, level == 0 ? std::nullopt : written.unixMode);
    QCOMPARE(h.osType, level == 0 ? quint8(0) : OsType::kUnix);
}

void TestLhaFormat::readsLevelThree()
{
    // Four-byte sizes: the header's own at 24, each extended header's in front of it.
    QByteArray header(2, '\0');
    qToLittleEndian<quint16>(4, header.data()); // word size
    header += "-lh0-";
    for (quint32 field : {3u, 3u, 1234958400u}) {
        char bytes[4];
        qToLittleEndian(field, bytes);
        header.append(bytes, 4);
    }
    header += QByteArray("\x20\x03\x34\x12U", 5);
    const QByteArray name = "name3.txt";
    for (quint32 field : {quint32(32 + 1 + name.size() + 4), quint32(5 + name.size())}) {
        char bytes[4];
        qToLittleEndian(field, bytes);
        header.append(bytes, 4);
    }
    header += '\x01' + name + QByteArray(4, '\0');

    const LhaHeader::ReadResult read = readBack(header + "abc");
    QCOMPARE(read.kind, LhaHeader::ReadResult::Kind::Member);
    QCOMPARE(read.header.level, 3);
    QCOMPARE(read.header.headerSize, qint64(header.size()));
    QCOMPARE(read.header.rawPath, name);
    QCOMPARE(read.header.crc, quint16(0x1234));
    QCOMPARE(read.header.modified.toSecsSinceEpoch(), qint64(1234958400));
}

void TestLhaFormat::pathSplitting_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArrayList>("parts");
    QTest::newRow("both separators") << QByteArray("a\\b/c") << QByteArrayList{"a", "b", "c"};
    QTest::newRow("empty and dot parts") << QByteArray("./a//b/") << QByteArrayList{"a", "b"};
    QTest::newRow("0x5C as second byte")
        << QByteArray("\x83\x5C/\x95\x5C.txt") << QByteArrayList{"\x83\x5C", "\x95\x5C.txt"};
    QTest::newRow("lead byte before a separator") << QByteArray("\x81/x") << QByteArrayList{"\x81", "x"};
}

void TestLhaFormat::pathSplitting()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArrayList, parts);
    QCOMPARE(MemberPath::splitStored(name), parts);
}

void TestLhaFormat::crc16KnownVectors()
{
    QCOMPARE(Crc16::of("", 0), quint16(0x0000));
    QCOMPARE(Crc16::of("A", 1), quint16(0x30C0));
    QCOMPARE(Crc16::of("123456789", 9), quint16(0xBB3D));
    const QByteArray data = LhaTestTools::incompressible(1001, 3);
    quint16 pieces = 0;
    for (qsizetype at = 0; at < data.size(); at += 7)
        pieces = Crc16::update(pieces, data.constData() + at, qMin<qsizetype>(7, data.size() - at));
    QCOMPARE(pieces, Crc16::of(data.constData(), data.size()));
}

QTEST_GUILESS_MAIN(TestLhaFormat)
#include "test_headers.moc"
