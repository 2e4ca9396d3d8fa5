#include "platform/lha/format/HeaderVariants.h"

#include "platform/lha/format/HeaderTime.h"
#include "platform/lha/format/LittleEndian.h"

namespace HeaderVariants {

QByteArray nameBeforeComment(const QByteArray& field)
{
    const qsizetype nul = field.indexOf('\0');
    return nul < 0 ? field : field.left(nul);
}

qint64 levelTwoHeaderSize(quint16 sizeField, quint8 osType)
{
    return qint64(sizeField) + (osType == OsType::kOs9On68k ? 2 : 0);
}

void readLevelZeroUnixArea(const QByteArray& base, int nameSize, MemberHeader& header)
{
    constexpr int kAreaSize = 12;
    const qint64 at = 24 + nameSize; // after the name and the CRC
    const qint64 extra = base.size() - at;
    if (extra < kAreaSize)
        return;
    const quint8 os = quint8(base[at]);
    if ((os != OsType::kUnix && os != OsType::kOs9On68k) || base[at + 1] != 0)
        return;
    header.osType = os;
    header.modified = HeaderTime::fromUnix(LittleEndian::u32(base, at + 2));
    header.unixMode = LittleEndian::u16(base, at + extra - 6);
}

void takeOs9Mode(MemberHeader& header)
{
    if (header.osType != OsType::kOs9On68k || !header.unixMode)
        return;
    const quint16 os9 = *header.unixMode;
    const quint16 owner = quint16(((os9 & 0x01) << 2) | (os9 & 0x02) | ((os9 & 0x04) >> 2));
    const quint16 other = quint16(((os9 & 0x08) >> 1) | ((os9 & 0x10) >> 3) | ((os9 & 0x20) >> 5));
    const quint16 folder = (os9 & 0x80) ? UnixFileType::kDirectory : 0;
    header.unixMode = quint16(folder | (owner << 6) | (other << 3) | other);
}

} // namespace HeaderVariants
