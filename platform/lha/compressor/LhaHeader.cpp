#include "platform/lha/compressor/LhaHeader.h"

#include "platform/lha/format/Crc16.h"

#include <QDate>
#include <QTime>

namespace {

constexpr char kOsUnix = 'U';
constexpr quint16 kUnixRegular = 0100000;
constexpr quint16 kUnixDirectory = 0040000;
constexpr int kLevel0MaxName = 255 - 22;
constexpr int kLevel1MaxName = 255 - 25;

void put16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& b, quint32 v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void set16(QByteArray& b, qsizetype at, quint32 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(unsigned char c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

quint32 dosTime(const QDateTime& when)
{
    QDateTime local = when.isValid() ? when.toLocalTime() : QDateTime::currentDateTime();
    QDate d = local.date();
    QTime t = local.time();
    if (d.year() < 1980)
        return (1u << 21) | (1u << 16); // 1980-01-01 00:00:00, the earliest the format holds
    if (d.year() > 2107)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (quint32(d.year() - 1980) << 25) | (quint32(d.month()) << 21) | (quint32(d.day()) << 16) |
           (quint32(t.hour()) << 11) | (quint32(t.minute()) << 5) | quint32(t.second() / 2);
}

quint32 unixTime(const QDateTime& when)
{
    const qint64 secs = (when.isValid() ? when : QDateTime::currentDateTime()).toSecsSinceEpoch();
    return secs < 0 ? 0u : secs > 0xFFFFFFFFll ? 0xFFFFFFFFu : quint32(secs);
}

quint16 unixMode(const LhaMemberInfo& info)
{
    const quint16 perms =
        info.hasUnixMode ? quint16(info.unixMode & 07777) : (info.isDirectory ? 0755 : 0644);
    return quint16((info.isDirectory ? kUnixDirectory : kUnixRegular) | perms);
}

QByteArray joined(const QList<QByteArray>& parts, qsizetype count, char separator, bool trailing)
{
    QByteArray out;
    for (qsizetype i = 0; i < count; ++i) {
        out += parts[i];
        if (i + 1 < count || trailing)
            out += separator;
    }
    return out;
}

// One extended header: type byte and data; the size field is written by the caller's chain.
struct Extension
{
    char type;
    QByteArray data;
};

// Appends the chain of extended headers after the "next size" field that ends the base header.
void appendExtensions(QByteArray& header, qsizetype firstSizeAt, const QList<Extension>& extensions)
{
    qsizetype sizeAt = firstSizeAt;
    for (const Extension& e : extensions) {
        set16(header, sizeAt, quint32(e.data.size() + 3));
        header.append(e.type);
        header.append(e.data);
        sizeAt = header.size();
        put16(header, 0);
    }
}

void appendBase(QByteArray& h, const LhaHeader::Fields& f, quint32 packed, quint32 stamp, char attribute,
                int level)
{
    h.append(f.method.left(5).leftJustified(5, '-'));
    put32(h, packed);
    put32(h, f.originalSize);
    put32(h, stamp);
    h.append(attribute);
    h.append(char(level));
}

void fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

} // namespace

namespace LhaHeader {

QList<QByteArray> splitPath(const QByteArray& nameCp932)
{
    QList<QByteArray> parts;
    QByteArray current;
    for (qsizetype i = 0; i < nameCp932.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(nameCp932[i]);
        if (isLeadByte(c) && i + 1 < nameCp932.size() &&
            isTrailByte(static_cast<unsigned char>(nameCp932[i + 1]))) {
            current.append(nameCp932[i]);
            current.append(nameCp932[++i]);
        } else if (c == '/' || c == '\\') {
            if (!current.isEmpty() && current != ".")
                parts.append(current);
            current.clear();
        } else {
            current.append(char(c));
        }
    }
    if (!current.isEmpty() && current != ".")
        parts.append(current);
    return parts;
}

std::optional<QByteArray> build(const Fields& fields, const LhaMemberInfo& info, int level, QString* error)
{
    const QList<QByteArray> parts = splitPath(info.nameCp932);
    if (parts.isEmpty()) {
        fail(error, QStringLiteral("empty member name"));
        return std::nullopt;
    }
    // Every reader would have to refuse such a member: never write one.
    if (parts.contains("..") || info.nameCp932.contains('\0')) {
        fail(error, QStringLiteral("member name leaves the archive's folder or holds a NUL byte"));
        return std::nullopt;
    }
    const char attribute = info.isDirectory ? 0x10 : 0x20;
    const QByteArray permission = [&] {
        QByteArray p;
        put16(p, unixMode(info));
        return p;
    }();
    // Directories end in a separator so that every reader sees them as folders.
    const QByteArray dosPath = joined(parts, parts.size(), '\\', info.isDirectory);

    QByteArray h;
    if (level == 0) {
        if (dosPath.size() > kLevel0MaxName) {
            fail(error, QStringLiteral("member name too long for header level 0"));
            return std::nullopt;
        }
        h.append(char(0));
        h.append(char(0));
        appendBase(h, fields, fields.packedSize, dosTime(info.modified), attribute, 0);
        h.append(char(dosPath.size()));
        h.append(dosPath);
        put16(h, fields.crc);
    } else if (level == 1) {
        // Folders go in their own extended header, as Unix tools expect; the base header holds the file name.
        QList<Extension> ext;
        const qsizetype folders = info.isDirectory ? parts.size() : parts.size() - 1;
        const QByteArray baseName = info.isDirectory ? QByteArray() : parts.last();
        if (baseName.size() > kLevel1MaxName) {
            fail(error, QStringLiteral("member name too long for header level 1"));
            return std::nullopt;
        }
        if (folders > 0)
            ext.append({0x02, joined(parts, folders, char(0xFF), true)});
        ext.append({0x50, permission});
        quint32 extBytes = 0;
        for (const Extension& e : ext)
            extBytes += quint32(e.data.size() + 3);
        if (quint64(fields.packedSize) + extBytes > 0xFFFFFFFFull) {
            fail(error, QStringLiteral("member too large for header level 1"));
            return std::nullopt;
        }
        h.append(char(0));
        h.append(char(0));
        appendBase(h, fields, fields.packedSize + extBytes, dosTime(info.modified), attribute, 1);
        h.append(char(baseName.size()));
        h.append(baseName);
        put16(h, fields.crc);
        h.append(kOsUnix);
        const qsizetype firstSizeAt = h.size();
        put16(h, 0);
        const qsizetype baseEnd = h.size();
        appendExtensions(h, firstSizeAt, ext);
        h[0] = char(baseEnd - 2);
        quint32 sum = 0;
        for (qsizetype i = 2; i < baseEnd; ++i)
            sum += static_cast<unsigned char>(h[i]);
        h[1] = char(sum & 0xFF);
        return h;
    } else if (level == 2) {
        QList<Extension> ext;
        ext.append({0x00, QByteArray(2, '\0')}); // header CRC, filled in below
        if (info.isDirectory) {
            ext.append({0x02, joined(parts, parts.size(), char(0xFF), true)});
        } else {
            ext.append({0x01, parts.last()});
            if (parts.size() > 1)
                ext.append({0x02, joined(parts, parts.size() - 1, char(0xFF), true)});
        }
        ext.append({0x50, permission});
        put16(h, 0);
        appendBase(h, fields, fields.packedSize, unixTime(info.modified), 0x20, 2);
        put16(h, fields.crc);
        h.append(kOsUnix);
        const qsizetype firstSizeAt = h.size();
        put16(h, 0);
        appendExtensions(h, firstSizeAt, ext);
        // A header whose size ends in a zero byte would start with the byte that ends an archive.
        if ((h.size() & 0xFF) == 0)
            h.append(char(0));
        if (h.size() > 0xFFFF) {
            fail(error, QStringLiteral("member name too long"));
            return std::nullopt;
        }
        set16(h, 0, quint32(h.size()));
        const qsizetype crcAt = firstSizeAt + 3;
        set16(h, crcAt, Crc16::of(h.constData(), h.size()));
        return h;
    } else {
        fail(error, QStringLiteral("unsupported header level %1").arg(level));
        return std::nullopt;
    }

    // Level 0: size and checksum of the bytes after the first two.
    h[0] = char(h.size() - 2);
    quint32 sum = 0;
    for (qsizetype i = 2; i < h.size(); ++i)
        sum += static_cast<unsigned char>(h[i]);
    h[1] = char(sum & 0xFF);
    return h;
}

} // namespace LhaHeader
