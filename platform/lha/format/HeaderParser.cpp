#include "platform/lha/format/HeaderParser.h"

#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/Crc16.h"

#include <QIODevice>

namespace {

constexpr qint64 kMaxHeaderSize = 1 << 20; // far above anything a real archiver writes
constexpr int kCommonSize = 22;            // bytes every level shares up to the level byte
constexpr char kOsUnix = 'U';
constexpr char kOsOs9On68k = 'K';

quint16 u16(const QByteArray& b, qint64 at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

quint32 u32(const QByteArray& b, qint64 at)
{
    return quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16);
}

std::optional<QByteArray> readExact(QIODevice& dev, qint64 offset, qint64 size)
{
    if (size < 0 || !dev.seek(offset))
        return std::nullopt;
    QByteArray data = dev.read(size);
    if (data.size() != size)
        return std::nullopt;
    return data;
}

QDateTime fromDosTime(quint32 raw)
{
    if (raw == 0)
        return {};
    const QDate date(1980 + int(raw >> 25), int((raw >> 21) & 0x0f), int((raw >> 16) & 0x1f));
    const QTime time(int((raw >> 11) & 0x1f), int((raw >> 5) & 0x3f), int((raw & 0x1f) * 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::LocalTime);
}

QDateTime fromUnixTime(quint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC);
}

bool isMethodName(const QByteArray& method)
{
    return method.size() == 5 && method[0] == '-' && method[4] == '-' && method[1] >= 'a' && method[1] <= 'z';
}

// Amiga and MorphOS tools store a file's comment after a NUL in its name
// field; every reader takes the name as a C string.
QByteArray beforeNul(const QByteArray& field)
{
    const qsizetype nul = field.indexOf('\0');
    return nul < 0 ? field : field.left(nul);
}

// The name part of a level 0 or 1 name field, which may hold folders.
QByteArray afterLastSeparator(const QByteArray& path)
{
    const qsizetype cut = qMax(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(cut + 1);
}

// OS-9 keeps read, write and execute for the owner and for the public;
// the public bits serve for group and others, as Unix tools map them.
quint16 unixModeFromOs9(quint16 os9)
{
    const quint16 owner = quint16(((os9 & 0x01) << 2) | (os9 & 0x02) | ((os9 & 0x04) >> 2));
    const quint16 other = quint16(((os9 & 0x08) >> 1) | ((os9 & 0x10) >> 3) | ((os9 & 0x20) >> 5));
    const quint16 folder = (os9 & 0x80) ? 0040000 : 0;
    return quint16(folder | (owner << 6) | (other << 3) | other);
}

HeaderParser::Result broken(int error, const QString& reason)
{
    HeaderParser::Result r;
    r.kind = HeaderParser::Result::Kind::Broken;
    r.error = error;
    r.reason = reason;
    return r;
}

// Names as stored: 0xFF between folders in folder fields; '\' and '/' are
// left alone here because 0x5C may be the second byte of a CP932 character.
struct Names
{
    QByteArray fileName;
    QByteArray folders;
    bool haveFileName = false;
};

struct Times
{
    QDateTime windows;
    QDateTime unix;
};

// Applies one extended header. Returns false when its contents are malformed.
bool applyExtended(quint8 type, const QByteArray& data, MemberHeader& h, Names& names, Times& times,
                   std::optional<quint16>& commonCrc)
{
    switch (type) {
    case 0x00:
        if (data.size() < 2)
            return false;
        commonCrc = u16(data, 0);
        return true;
    case 0x01:
        names.fileName = beforeNul(data);
        names.haveFileName = true;
        return true;
    case 0x02: {
        QByteArray folders = beforeNul(data);
        if (!folders.isEmpty() && quint8(folders.back()) != 0xFF)
            folders.append(char(0xFF));
        names.folders = folders;
        return true;
    }
    case 0x40:
        if (data.size() >= 1)
            h.dosAttribute = quint8(data[0]);
        return true;
    case 0x41:
        if (data.size() >= 16) {
            const quint64 fileTime = quint64(u32(data, 8)) | (quint64(u32(data, 12)) << 32);
            constexpr quint64 kEpochDiff = 116444736000000000ULL;
            if (fileTime > kEpochDiff)
                times.windows =
                    QDateTime::fromSecsSinceEpoch(qint64((fileTime - kEpochDiff) / 10000000ULL), Qt::UTC);
        }
        return true;
    case 0x50:
        if (data.size() >= 2)
            h.unixMode = u16(data, 0);
        return true;
    case 0x54:
        if (data.size() >= 4)
            times.unix = fromUnixTime(u32(data, 0));
        return true;
    default:
        return true; // comments, owners and the like do not matter here
    }
}

// Walks a chain of extended headers held in `raw` from `offset`, where the
// size of the first one is stored. `fieldSize` is 2, or 4 for level 3.
bool walkExtended(QByteArray& raw, qint64 offset, int fieldSize, MemberHeader& h, Names& names, Times& times,
                  std::optional<quint16>& commonCrc, qint64& crcFieldAt)
{
    while (offset + fieldSize <= raw.size()) {
        const qint64 size = fieldSize == 4 ? qint64(u32(raw, offset)) : qint64(u16(raw, offset));
        if (size == 0)
            return true;
        const qint64 start = offset + fieldSize;
        if (size < fieldSize + 1 || start + size > raw.size())
            return false;
        const quint8 type = quint8(raw[start]);
        const QByteArray data = raw.mid(start + 1, size - fieldSize - 1);
        if (!applyExtended(type, data, h, names, times, commonCrc))
            return false;
        if (type == 0x00)
            crcFieldAt = start + 1;
        offset = start + size - fieldSize;
    }
    return false;
}

bool checkCommonCrc(QByteArray raw, const std::optional<quint16>& commonCrc, qint64 crcFieldAt)
{
    if (!commonCrc)
        return true;
    raw[crcFieldAt] = 0;
    raw[crcFieldAt + 1] = 0;
    return Crc16::of(raw.constData(), raw.size()) == *commonCrc;
}

void finish(MemberHeader& h, const Names& names, const QByteArray& baseName, const Times& times)
{
    QByteArray path = names.folders;
    path.append(names.haveFileName ? names.fileName : baseName);
    h.rawPath = path;
    h.fileName = names.haveFileName ? names.fileName : afterLastSeparator(baseName);
    if (times.windows.isValid())
        h.modified = times.windows;
    else if (times.unix.isValid())
        h.modified = times.unix;
}

HeaderParser::Result readLevel01(QIODevice& dev, qint64 offset, const QByteArray& start, int level)
{
    const int size = quint8(start[0]);
    const int minSize = level == 0 ? 22 : 25;
    if (size < minSize)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("header too short"));
    const auto base = readExact(dev, offset, size + 2);
    if (!base)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));
    quint8 sum = 0;
    for (int i = 2; i < size + 2; ++i)
        sum = quint8(sum + quint8((*base)[i]));
    if (sum != quint8(start[1]))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header checksum mismatch"));

    MemberHeader h;
    h.headerOffset = offset;
    h.level = level;
    h.method = base->mid(2, 5);
    h.packedSize = u32(*base, 7);
    h.originalSize = u32(*base, 11);
    h.modified = fromDosTime(u32(*base, 15));
    h.dosAttribute = quint8((*base)[19]);
    const int nameSize = quint8((*base)[21]);
    if (minSize + nameSize > size)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("name longer than its header"));
    const QByteArray baseName = beforeNul(base->mid(22, nameSize));
    h.crc = u16(*base, 22 + nameSize);
    Names names;
    Times times;

    if (level == 0) {
        h.headerSize = size + 2;
        const qint64 extra = size - 22 - nameSize;
        const char areaOs = extra >= 12 ? (*base)[24 + nameSize] : 0;
        if ((areaOs == kOsUnix || areaOs == kOsOs9On68k) && (*base)[25 + nameSize] == 0) {
            // Unix tools' extended area (OS-9/68k writes the same): time,
            // then mode, uid and gid at its end.
            const qint64 at = 24 + nameSize;
            h.osType = quint8(areaOs);
            times.unix = fromUnixTime(u32(*base, at + 2));
            h.unixMode = u16(*base, at + extra - 6);
        }
        finish(h, names, baseName, times);
        return {HeaderParser::Result::Kind::Member, 0, {}, h};
    }

    h.osType = quint8((*base)[24 + nameSize]);
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
    std::optional<quint16> commonCrc;
    qint64 crcFieldAt = 0;
    if (!walkExtended(raw, base->size() - 2, 2, h, names, times, commonCrc, crcFieldAt))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("malformed extended header"));
    if (!checkCommonCrc(raw, commonCrc, crcFieldAt))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header CRC mismatch"));
    h.headerSize = raw.size();
    finish(h, names, baseName, times);
    return {HeaderParser::Result::Kind::Member, 0, {}, h};
}

HeaderParser::Result readLevel23(QIODevice& dev, qint64 offset, const QByteArray& start, int level)
{
    const int fixedSize = level == 2 ? 26 : 32;
    auto fixed = readExact(dev, offset, fixedSize);
    if (!fixed)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));
    qint64 total = 0;
    if (level == 2) {
        total = u16(start, 0);
        // OS-9/68k's archiver stores the size without its own two bytes.
        if ((*fixed)[23] == kOsOs9On68k)
            total += 2;
    } else {
        if (u16(start, 0) != 4)
            return broken(ERROR_HEADER_BROKEN, QStringLiteral("unsupported word size"));
        total = u32(*fixed, 24);
    }
    if (total < fixedSize || total > kMaxHeaderSize)
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("bad header size"));
    auto raw = readExact(dev, offset, total);
    if (!raw)
        return broken(ERROR_EOF, QStringLiteral("header cut short"));

    MemberHeader h;
    h.headerOffset = offset;
    h.headerSize = total;
    h.level = level;
    h.method = raw->mid(2, 5);
    h.packedSize = u32(*raw, 7);
    h.originalSize = u32(*raw, 11);
    h.modified = fromUnixTime(u32(*raw, 15));
    h.crc = u16(*raw, 21);
    h.osType = quint8((*raw)[23]);
    Names names;
    Times times;
    std::optional<quint16> commonCrc;
    qint64 crcFieldAt = 0;
    const int fieldSize = level == 2 ? 2 : 4;
    if (!walkExtended(*raw, fixedSize - fieldSize, fieldSize, h, names, times, commonCrc, crcFieldAt))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("malformed extended header"));
    if (!checkCommonCrc(*raw, commonCrc, crcFieldAt))
        return broken(ERROR_HEADER_CRC, QStringLiteral("header CRC mismatch"));
    if (!names.haveFileName && !h.isDirectory())
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("member without a name"));
    finish(h, names, {}, times);
    return {HeaderParser::Result::Kind::Member, 0, {}, h};
}

} // namespace

namespace HeaderParser {

Result readAt(QIODevice& archive, qint64 offset)
{
    Result end;
    end.kind = Result::Kind::End;
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
    if (!isMethodName(start->mid(2, 5)))
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("no member header here"));
    const int level = quint8((*start)[20]);
    Result r;
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
    if (r.kind != Result::Kind::Member)
        return r;
    // A folder whose name is empty ("." from "lha a x.lzh .") stands for the
    // destination itself; only a file must have a name.
    if (r.header.rawPath.isEmpty() && !r.header.isDirectory())
        return broken(ERROR_HEADER_BROKEN, QStringLiteral("member without a name"));
    if (r.header.osType == kOsOs9On68k && r.header.unixMode)
        r.header.unixMode = unixModeFromOs9(*r.header.unixMode);
    return r;
}

} // namespace HeaderParser
