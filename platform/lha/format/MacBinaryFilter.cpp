#include "platform/lha/format/MacBinaryFilter.h"

#include <QIODevice>

namespace {

constexpr qsizetype kHeaderSize = 128;
constexpr qsizetype kNameLength = 1;
constexpr qsizetype kName = 2;
constexpr qsizetype kNameField = 63;
constexpr qsizetype kDataForkLength = 0x53;
constexpr qsizetype kResourceForkLength = 0x57;
constexpr qsizetype kModified = 0x5f;
constexpr qsizetype kCommentLength = 0x63;
constexpr qint64 kMacEpochOffset = 2082844800; // 1904-01-01 to 1970-01-01, in seconds
constexpr qint64 kMostZoneOffset = 14 * 3600;  // Mac times are local, LHA times UTC

quint32 bigEndian32(const QByteArray& b, qsizetype at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) |
           (quint32(quint8(b[at + 2])) << 8) | quint32(quint8(b[at + 3]));
}

bool allZero(const QByteArray& b, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (b[i] != 0)
            return false;
    }
    return true;
}

} // namespace

MacBinaryFilter::MacBinaryFilter(const MemberHeader& member)
    : member_(member), decided_(member.osType != OsType::kMac || member.originalSize < quint64(kHeaderSize))
{
}

bool MacBinaryFilter::isAddedHeader() const
{
    const QByteArray& h = head_;
    // Fields MacBinary requires to be zero, and the MacBinary II area.
    if (h[0] != 0 || h[0x4a] != 0 || h[0x52] != 0 || !allZero(h, kCommentLength, kHeaderSize))
        return false;
    const qsizetype nameLength = quint8(h[kNameLength]);
    if (nameLength > kNameField || h.mid(kName, nameLength) != member_.fileName ||
        !allZero(h, kName + nameLength, kName + kNameField))
        return false;
    // Header and forks, in 128-byte blocks, make up the member.
    const quint64 forks = quint64(bigEndian32(h, kDataForkLength)) + bigEndian32(h, kResourceForkLength);
    if (((forks + kHeaderSize + 127) & ~quint64(127)) != member_.originalSize)
        return false;
    const qint64 modified = qint64(bigEndian32(h, kModified)) - kMacEpochOffset;
    return modified >= 0 && member_.modified.isValid() &&
           qAbs(member_.modified.toSecsSinceEpoch() - modified) <= kMostZoneOffset;
}

bool MacBinaryFilter::decide(QIODevice& sink)
{
    decided_ = true;
    stripping_ = isAddedHeader();
    if (!stripping_)
        return sink.write(head_) == head_.size();
    const quint32 dataFork = bigEndian32(head_, kDataForkLength);
    keep_ = dataFork > 0 ? dataFork : bigEndian32(head_, kResourceForkLength);
    return true;
}

bool MacBinaryFilter::write(QIODevice& sink, const char* data, qint64 size)
{
    if (!decided_) {
        const qint64 taken = qMin(size, qint64(kHeaderSize - head_.size()));
        head_.append(data, taken);
        data += taken;
        size -= taken;
        if (head_.size() < kHeaderSize)
            return true;
        if (!decide(sink))
            return false;
    }
    if (stripping_) {
        size = qint64(qMin(quint64(size), keep_));
        keep_ -= quint64(size);
    }
    return size == 0 || sink.write(data, size) == size;
}
