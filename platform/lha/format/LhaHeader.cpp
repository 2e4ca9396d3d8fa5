#include "platform/lha/format/LhaHeader.h"

#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/Crc16.h"
#include "platform/lha/format/ExtendedHeaders.h"
#include "platform/lha/format/HeaderTime.h"
#include "platform/lha/format/HeaderVariants.h"
#include "platform/lha/format/LittleEndian.h"

#include <QIODevice>

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

constexpr qint64 kMaxHeaderSize = 1 << 20; // far above anything a real archiver writes

// Every level: two bytes of size (and, at levels 0 and 1, checksum), then
// the method, both sizes, the time, the attribute and the level.
constexpr int kMethodAt = 2, kPackedSizeAt = 7, kOriginalSizeAt = 11, kTimeAt = 15, kAttributeAt = 19,
              kLevelAt = 20, kCommonSize = kLevelAt + 1;
// Levels 0 and 1: the name's length and the name, then the data's CRC and,
// at level 1, the OS type and the size of the first extended header. Sizes
// count from the method on.
constexpr int kNameSizeAt = 21, kNameAt = 22, kLevel0MinSize = 22, kLevel1MinSize = 25;
constexpr int kLevel0MaxName = 255 - kLevel0MinSize, kLevel1MaxName = 255 - kLevel1MinSize;
// Levels 2 and 3: the data's CRC, the OS type, then the size of the first
// extended header (level 3: after the header's own four-byte size).
constexpr int kLevel2CrcAt = 21, kLevel2OsAt = 23, kLevel2FixedSize = 26, kLevel3SizeAt = 24,
              kLevel3FixedSize = 32;
// Level 2 keeps the attribute in an extended header; its base field is a
// fixed value.
constexpr char kLevel2Attribute = 0x20;

// Levels 0 and 1: the sum of the base header's bytes after the first two.
quint8 baseChecksum(const QByteArray& header, qint64 baseEnd)
{
    quint8 sum = 0;
    for (qint64 i = 2; i < baseEnd; ++i)
        sum = quint8(sum + quint8(header[i]));
    return sum;
}

// The CRC of a whole header, taken with its own field zero.
quint16 headerCrc(QByteArray header, qint64 crcAt)
{
    header[crcAt] = 0;
    header[crcAt + 1] = 0;
    return Crc16::of(header.constData(), header.size());
}

// ---- Reading

using Result = LhaHeader::ReadResult;

std::optional<QByteArray> readExact(QIODevice& dev, qint64 offset, qint64 size)
{
    if (size < 0 || !dev.seek(offset))
        return std::nullopt;
    QByteArray data = dev.read(size);
    if (data.size() != size)
        return std::nullopt;
    return data;
}

bool isMethodName(const QByteArray& method)
{
    return method.size() == 5 && method[0] == '-' && method[4] == '-' && method[1] >= 'a' && method[1] <= 'z';
}

Result broken(int error, const QString& reason)
{
    Result r;
    r.kind = Result::Kind::Broken;
    r.error = error;
    r.reason = reason;
    return r;
}

Result found(const MemberHeader& header)
{
    return {Result::Kind::Member, 0, {}, header};
}

MemberHeader commonFields(const QByteArray& header, qint64 offset, int level)
{
    MemberHeader h;
    h.headerOffset = offset;
    h.level = level;
    h.method = header.mid(kMethodAt, 5);
    h.packedSize = u32(header, kPackedSizeAt);
    h.originalSize = u32(header, kOriginalSizeAt);
    return h;
}

bool crcMatches(const QByteArray& header, const ExtendedHeaders::Fields& ext)
{
    return !ext.headerCrc || headerCrc(header, ext.headerCrcAt) == *ext.headerCrc;
}

// The name part of a level 0 or 1 name field, which may hold folders.
QByteArray afterLastSeparator(const QByteArray& path)
{
    const qsizetype cut = qMax(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(cut + 1);
}

// Names and times from the extended headers win over the base header's.
void finish(MemberHeader& h, const ExtendedHeaders::Fields& ext, const QByteArray& baseName)
{
    h.rawPath = ext.folders + (ext.fileName ? *ext.fileName : baseName);
    h.fileName = ext.fileName ? *ext.fileName : afterLastSeparator(baseName);
    if (ext.windowsTime.isValid())
        h.modified = ext.windowsTime;
    else if (ext.unixTime.isValid())
        h.modified = ext.unixTime;
    if (ext.dosAttribute)
        h.dosAttribute = *ext.dosAttribute;
    if (ext.unixMode)
        h.unixMode = *ext.unixMode;
}

Result readLevel01(QIODevice& dev, qint64 offset, const QByteArray& start, int level)
{
    const int size = quint8(start[0]);
    const int minSize = level == 0 ? kLevel0MinSize : kLevel1MinSize;
    if (size < minSize)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("header too short"));
    const auto base = readExact(dev, offset, size + 2);
    if (!base)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));
    if (baseChecksum(*base, base->size()) != quint8(start[1]))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header checksum mismatch"));

    MemberHeader h = commonFields(*base, offset, level);
    h.modified = HeaderTime::fromDos(u32(*base, kTimeAt));
    h.dosAttribute = quint8((*base)[kAttributeAt]);
    const int nameSize = quint8((*base)[kNameSizeAt]);
    if (minSize + nameSize > size)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("name longer than its header"));
    const QByteArray baseName = HeaderVariants::nameBeforeComment(base->mid(kNameAt, nameSize));
    h.crc = u16(*base, kNameAt + nameSize);

    if (level == 0) {
        h.headerSize = base->size();
        HeaderVariants::readLevelZeroUnixArea(*base, nameSize, h);
        finish(h, {}, baseName);
        return found(h);
    }

    h.osType = quint8((*base)[kNameAt + nameSize + 2]);
    // Each extended header ends in the size of the next one.
    QByteArray raw = *base;
    qint64 extendedSize = 0;
    qint64 nextSize = u16(raw, raw.size() - 2);
    while (nextSize != 0) {
        if (nextSize < 3 || raw.size() + nextSize > kMaxHeaderSize)
            return broken(ERROR_HEADER_BROKEN, QStringLiteral("bad extended header size"));
        const auto more = readExact(dev, offset + raw.size(), nextSize);
        if (!more)
            return broken(ERROR_EOF, QStringLiteral("extended header cut short"));
        raw.append(*more);
        extendedSize += nextSize;
        nextSize = u16(raw, raw.size() - 2);
    }
    // Level 1 counts the extended headers in the packed size.
    if (quint64(extendedSize) > h.packedSize)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("extended headers larger than the member"));
    h.packedSize -= quint64(extendedSize);
    ExtendedHeaders::Fields ext;
    if (!ExtendedHeaders::read(raw, base->size() - 2, 2, ext))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("malformed extended header"));
    if (!crcMatches(raw, ext))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header CRC mismatch"));
    h.headerSize = raw.size();
    finish(h, ext, baseName);
    return found(h);
}

Result readLevel23(QIODevice& dev, qint64 offset, const QByteArray& start, int level)
{
    const int fixedSize = level == 2 ? kLevel2FixedSize : kLevel3FixedSize;
    const auto fixed = readExact(dev, offset, fixedSize);
    if (!fixed)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));
    qint64 total = 0;
    if (level == 2) {
        total = HeaderVariants::levelTwoHeaderSize(u16(start, 0), quint8((*fixed)[kLevel2OsAt]));
    } else {
        if (u16(start, 0) != 4)
            return broken(ERROR_HEADER_BROKEN, QStringLiteral("unsupported word size"));
        total = u32(*fixed, kLevel3SizeAt);
    }
    if (total < fixedSize || total > kMaxHeaderSize)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("bad header size"));
    const auto raw = readExact(dev, offset, total);
    if (!raw)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));

    MemberHeader h = commonFields(*raw, offset, level);
    h.headerSize = total;
    h.modified = HeaderTime::fromUnix(u32(*raw, kTimeAt));
    h.crc = u16(*raw, kLevel2CrcAt);
    h.osType = quint8((*raw)[kLevel2OsAt]);
    ExtendedHeaders::Fields ext;
    const int sizeField = level == 2 ? 2 : 4;
    if (!ExtendedHeaders::read(*raw, fixedSize - sizeField, sizeField, ext))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("malformed extended header"));
    if (!crcMatches(*raw, ext))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header CRC mismatch"));
    if (!ext.fileName && !h.isDirectory())
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("member without a name"));
    finish(h, ext, {});
    return found(h);
}

// ---- Writing

std::nullopt_t refused(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return std::nullopt;
}

// The fields every level shares, from the method to the level, after the
// first two bytes.
QByteArray withCommonFields(const MemberHeader& h, quint64 packedSize, quint32 time, char attribute)
{
    QByteArray out(2, '\0');
    out.append(h.method.left(5).leftJustified(5, '-'));
    LittleEndian::append32(out, quint32(packedSize));
    LittleEndian::append32(out, quint32(h.originalSize));
    LittleEndian::append32(out, time);
    out.append(attribute);
    out.append(char(h.level));
    return out;
}

// Levels 0 and 1: the base header's size and checksum in its first two bytes.
void sealBase(QByteArray& out, qint64 baseEnd)
{
    out[0] = char(baseEnd - 2);
    out[1] = char(baseChecksum(out, baseEnd));
}

// The folders of a name written here: rawPath before the file name.
QByteArray foldersOf(const MemberHeader& h)
{
    return h.rawPath.left(h.rawPath.size() - h.fileName.size());
}

// The extended headers levels 1 and 2 both write, in this order.
QList<ExtendedHeaders::Entry> foldersAndMode(const MemberHeader& h)
{
    QList<ExtendedHeaders::Entry> entries;
    if (const QByteArray folders = foldersOf(h); !folders.isEmpty())
        entries.append({ExtendedHeaders::kFolders, folders});
    if (h.unixMode) {
        QByteArray mode;
        LittleEndian::append16(mode, *h.unixMode);
        entries.append({ExtendedHeaders::kUnixMode, mode});
    }
    return entries;
}

std::optional<QByteArray> level0(const MemberHeader& h, const QDateTime& when, QString* error)
{
    // One name field, with '\' between folders.
    QByteArray name = foldersOf(h);
    name.replace(char(0xFF), '\\');
    name += h.fileName;
    if (name.size() > kLevel0MaxName)
        return refused(error, QStringLiteral("member name too long for header level 0"));
    QByteArray out = withCommonFields(h, h.packedSize, HeaderTime::toDos(when), char(h.dosAttribute));
    out.append(char(name.size()));
    out.append(name);
    LittleEndian::append16(out, h.crc);
    sealBase(out, out.size());
    return out;
}

std::optional<QByteArray> level1(const MemberHeader& h, const QDateTime& when, QString* error)
{
    // The file name in the base header, the folders in an extended header,
    // as Unix tools expect.
    if (h.fileName.size() > kLevel1MaxName)
        return refused(error, QStringLiteral("member name too long for header level 1"));
    const QList<ExtendedHeaders::Entry> ext = foldersAndMode(h);
    const quint64 packedSize = h.packedSize + ExtendedHeaders::chainSize(ext);
    if (packedSize > 0xFFFFFFFFull)
        return refused(error, QStringLiteral("member too large for header level 1"));
    QByteArray out = withCommonFields(h, packedSize, HeaderTime::toDos(when), char(h.dosAttribute));
    out.append(char(h.fileName.size()));
    out.append(h.fileName);
    LittleEndian::append16(out, h.crc);
    out.append(char(h.osType));
    const qint64 firstSizeAt = out.size();
    LittleEndian::append16(out, 0);
    const qint64 baseEnd = out.size();
    ExtendedHeaders::append(out, firstSizeAt, ext); // also fills in the base header's last field
    sealBase(out, baseEnd);
    return out;
}

std::optional<QByteArray> level2(const MemberHeader& h, const QDateTime& when, QString* error)
{
    QList<ExtendedHeaders::Entry> ext;
    ext.append({ExtendedHeaders::kHeaderCrc, QByteArray(2, '\0')}); // filled in last
    if (!h.isDirectory())
        ext.append({ExtendedHeaders::kFileName, h.fileName});
    ext.append(foldersAndMode(h));
    QByteArray out = withCommonFields(h, h.packedSize, HeaderTime::toUnix(when), kLevel2Attribute);
    LittleEndian::append16(out, h.crc);
    out.append(char(h.osType));
    const qint64 firstSizeAt = out.size();
    LittleEndian::append16(out, 0);
    ExtendedHeaders::append(out, firstSizeAt, ext);
    // A header whose size ends in a zero byte would start with the byte that ends an archive.
    if ((out.size() & 0xFF) == 0)
        out.append(char(0));
    if (out.size() > 0xFFFF)
        return refused(error, QStringLiteral("member name too long"));
    LittleEndian::set16(out, 0, quint32(out.size()));
    const qint64 crcAt = firstSizeAt + 3; // the first entry's data
    LittleEndian::set16(out, crcAt, headerCrc(out, crcAt));
    return out;
}

} // namespace

namespace LhaHeader {

ReadResult readAt(QIODevice& archive, qint64 offset)
{
    ReadResult end;
    end.kind = ReadResult::Kind::End;
    if (offset >= archive.size())
        return end;
    const auto first = readExact(archive, offset, 1);
    if (!first)
        return broken(ERROR_CANNOT_READ, QStringLiteral("cannot read the archive"));
    if ((*first)[0] == 0)
        return end;
    const auto start = readExact(archive, offset, kCommonSize);
    if (!start)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));
    if (!isMethodName(start->mid(kMethodAt, 5)))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("no member header here"));
    const int level = quint8((*start)[kLevelAt]);
    ReadResult r;
    switch (level) {
    case 0:
    case 1:
        r = readLevel01(archive, offset, *start, level);
        break;
    case 2:
    case 3:
        r = readLevel23(archive, offset, *start, level);
        break;
    default:
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("unknown header level"));
    }
    if (r.kind != ReadResult::Kind::Member)
        return r;
    // A folder whose name is empty ("." from "lha a x.lzh .") stands for the
    // destination itself; only a file must have a name.
    if (r.header.rawPath.isEmpty() && !r.header.isDirectory())
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("member without a name"));
    HeaderVariants::takeOs9Mode(r.header);
    return r;
}

std::optional<QByteArray> serialise(const MemberHeader& header, QString* error)
{
    const QDateTime when = header.modified.isValid() ? header.modified : QDateTime::currentDateTime();
    switch (header.level) {
    case 0:
        return level0(header, when, error);
    case 1:
        return level1(header, when, error);
    case 2:
        return level2(header, when, error);
    default:
        return refused(error, QStringLiteral("unsupported header level %1").arg(header.level));
    }
}

} // namespace LhaHeader
