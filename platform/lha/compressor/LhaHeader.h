#pragma once

#include "platform/lha/compressor/LhaWriter.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Builds the header that precedes a member's data, at header level 0, 1 or 2.
namespace LhaHeader {

struct Fields
{
    QByteArray method; // five characters, e.g. "-lh5-"
    quint32 packedSize = 0;
    quint32 originalSize = 0;
    quint16 crc = 0;
};

// Fails with a message when the name is empty or does not fit the header level.
std::optional<QByteArray> build(const Fields& fields, const LhaMemberInfo& info, int level, QString* error);

// Splits a CP932 path at '/' and '\' without cutting double-byte characters whose second byte is 0x5C.
// Empty components and "." are dropped.
QList<QByteArray> splitPath(const QByteArray& nameCp932);

} // namespace LhaHeader
