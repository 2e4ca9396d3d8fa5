#pragma once

#include <QByteArray>
#include <QtEndian>

// The little-endian fields of member headers, read from and written into header bytes.
namespace LittleEndian {

inline quint16 u16(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

inline quint32 u32(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Values wider than the field keep their low bits, as a header field would.
inline void set16(QByteArray& bytes, qint64 at, quint32 value)
{
    qToLittleEndian<quint16>(quint16(value), bytes.data() + at);
}

inline void append16(QByteArray& bytes, quint32 value)
{
    char field[2];
    qToLittleEndian<quint16>(quint16(value), field);
    bytes.append(field, 2);
}

inline void append32(QByteArray& bytes, quint32 value)
{
    char field[4];
    qToLittleEndian<quint32>(value, field);
    bytes.append(field, 4);
}

} // namespace LittleEndian
