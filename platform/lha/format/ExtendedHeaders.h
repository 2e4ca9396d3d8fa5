#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

// The extended headers of levels 1 to 3: a chain of entries after the base
// header, each a size field, a type byte and data, ended by a size of 0.
// Level 3 has four-byte size fields, the others two.
namespace ExtendedHeaders {

enum Type : quint8
{
    kHeaderCrc = 0x00, // CRC-16 of the whole header, taken with this field zero
    kFileName = 0x01,
    kFolders = 0x02, // each folder ended by 0xFF
    kDosAttribute = 0x40,
    kWindowsTimes = 0x41, // creation, modification and access time
    kUnixMode = 0x50,
    kUnixTime = 0x54,
};

// What a chain says about its member; comments, owners and the like are
// passed over. Where an entry comes twice the last one counts.
struct Fields
{
    std::optional<QByteArray> fileName;
    QByteArray folders;
    std::optional<quint16> headerCrc;
    qint64 headerCrcAt = 0; // offset of the CRC's field in the header
    QDateTime windowsTime;
    QDateTime unixTime;
    std::optional<quint8> dosAttribute;
    std::optional<quint16> unixMode;
};

// Reads the chain held in `header` from `offset`, where the first size field
// is. False when an entry runs past the header, is malformed or the chain
// has no end.
bool read(const QByteArray& header, qint64 offset, int sizeField, Fields& fields);

struct Entry
{
    quint8 type;
    QByteArray data;
};

// Bytes the entries take in a chain of two-byte size fields.
quint32 chainSize(const QList<Entry>& entries);

// Appends the entries to `header`, which ends in the zero size field at
// `firstSizeAt`: each size goes where the one before ends, and the chain
// ends in a zero size again.
void append(QByteArray& header, qint64 firstSizeAt, const QList<Entry>& entries);

} // namespace ExtendedHeaders
