#include "tests/support/http/ContentCoding.h"

#include <QList>
#include <QtEndian>

namespace {

// Whether a coding is listed with a quality above zero ("*" stands for any).
bool allows(const QByteArray& acceptEncoding, const QByteArray& coding)
{
    for (const QByteArray& item : acceptEncoding.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        const QByteArray name = parts.first().trimmed().toLower();
        if (name != coding && name != "*")
            continue;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray parameter = parts.at(i).trimmed().toLower();
            if (parameter.startsWith("q=") && parameter.mid(2).toDouble() <= 0.0)
                return false;
        }
        return true;
    }
    return false;
}

// The CRC-32 of the gzip trailer (reflected polynomial 0xEDB88320).
quint32 crc32Of(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

namespace ContentCoding {

QByteArray chosenFor(const QByteArray& acceptEncoding)
{
    for (const char* coding : {"gzip", "deflate"}) {
        if (allows(acceptEncoding, coding))
            return coding;
    }
    return {};
}

QByteArray encode(const QByteArray& body, const QByteArray& coding)
{
    // qCompress gives a 4-byte length, then the zlib stream: a 2-byte header,
    // the raw deflate data and an Adler-32 trailer.
    const QByteArray zlib = qCompress(body, 1).mid(4);
    if (coding != "gzip")
        return zlib;
    QByteArray gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    gzip += zlib.mid(2, zlib.size() - 6);
    char trailer[8];
    qToLittleEndian<quint32>(crc32Of(body), trailer);
    qToLittleEndian<quint32>(quint32(body.size()), trailer + 4);
    return gzip + QByteArray(trailer, 8);
}

} // namespace ContentCoding
