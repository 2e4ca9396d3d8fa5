#pragma once

#include <QtGlobal>

// The CRC-16 of LHA archives (polynomial 0xA001, reflected, initial value 0). Pass the previous result to
// continue over several pieces.
namespace Crc16 {

quint16 update(quint16 crc, const void* data, qsizetype size);
inline quint16 of(const void* data, qsizetype size)
{
    return update(0, data, size);
}

} // namespace Crc16
