#include "platform/lha/format/Crc16.h"

#include <array>

namespace {

// Slice-by-4 tables: four bytes per step keeps the CRC well below the cost of compression.
using Tables = std::array<std::array<quint16, 256>, 4>;

constexpr Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
        t[0][i] = quint16(c);
    }
    for (unsigned i = 0; i < 256; ++i)
        for (int s = 1; s < 4; ++s)
            t[s][i] = quint16((t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = makeTables();

} // namespace

namespace Crc16 {

quint16 update(quint16 crc, const void* data, qsizetype size)
{
    auto p = static_cast<const unsigned char*>(data);
    unsigned c = crc;
    while (size >= 4) {
        c ^= unsigned(p[0]) | (unsigned(p[1]) << 8);
        c = kTables[3][c & 0xFF] ^ kTables[2][c >> 8] ^ kTables[1][p[2]] ^ kTables[0][p[3]];
        p += 4;
        size -= 4;
    }
    while (size-- > 0)
        c = (c >> 8) ^ kTables[0][(c ^ *p++) & 0xFF];
    return quint16(c);
}

} // namespace Crc16
