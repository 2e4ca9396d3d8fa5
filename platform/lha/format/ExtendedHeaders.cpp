#include "platform/lha/format/ExtendedHeaders.h"

#include "platform/lha/format/HeaderTime.h"
#include "platform/lha/format/HeaderVariants.h"
#include "platform/lha/format/LittleEndian.h"

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

// Takes in one entry; false when its data is malformed.
bool apply(quint8 type, const QByteArray& data, ExtendedHeaders::Fields& fields)
{
    switch (type) {
    case ExtendedHeaders::kHeaderCrc:
        if (data.size() < 2)
            return false;
        fields.headerCrc = u16(data, 0);
        return true;
    case ExtendedHeaders::kFileName:
        fields.fileName = HeaderVariants::nameBeforeComment(data);
        return true;
    case ExtendedHeaders::kFolders: {
        QByteArray folders = HeaderVariants::nameBeforeComment(data);
        if (!folders.isEmpty() && quint8(folders.back()) != 0xFF)
            folders.append(char(0xFF));
        fields.folders = folders;
        return true;
    }
    case ExtendedHeaders::kDosAttribute:
        if (data.size() >= 1)
            fields.dosAttribute = quint8(data[0]);
        return true;
    case ExtendedHeaders::kWindowsTimes:
        if (data.size() >= 16) {
            const QDateTime modified =
                HeaderTime::fromWindows(quint64(u32(data, 8)) | (quint64(u32(data, 12)) << 32));
            if (modified.isValid())
                fields.windowsTime = modified;
        }
        return true;
    case ExtendedHeaders::kUnixMode:
        if (data.size() >= 2)
            fields.unixMode = u16(data, 0);
        return true;
    case ExtendedHeaders::kUnixTime:
        if (data.size() >= 4)
            fields.unixTime = HeaderTime::fromUnix(u32(data, 0));
        return true;
    default:
        return true;
    }
}

} // namespace

namespace ExtendedHeaders {

bool read(const QByteArray& header, qint64 offset, int sizeField, Fields& fields)
{
    while (offset + sizeField <= header.size()) {
        const qint64 size = sizeField == 4 ? qint64(u32(header, offset)) : qint64(u16(header, offset));
        if (size == 0)
            return true;
        const qint64 start = offset + sizeField;
        if (size < sizeField + 1 || start + size > header.size())
            return false;
        const quint8 type = quint8(header[start]);
        if (!apply(type, header.mid(start + 1, size - sizeField - 1), fields))
            return false;
        if (type == kHeaderCrc)
            fields.headerCrcAt = start + 1;
        offset = start + size - sizeField;
    }
    return false;
}

quint32 chainSize(const QList<Entry>& entries)
{
    quint32 size = 0;
    for (const Entry& e : entries)
        size += quint32(e.data.size() + 3);
    return size;
}

void append(QByteArray& header, qint64 firstSizeAt, const QList<Entry>& entries)
{
    qint64 sizeAt = firstSizeAt;
    for (const Entry& e : entries) {
        LittleEndian::set16(header, sizeAt, quint32(e.data.size() + 3));
        header.append(char(e.type));
        header.append(e.data);
        sizeAt = header.size();
        LittleEndian::append16(header, 0);
    }
}

} // namespace ExtendedHeaders
