#pragma once

#include "platform/lha/compressor/BitWriter.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

// Gathers the literals and matches of one block and writes it in the static-Huffman block format of -lh5-,
// -lh6- and -lh7-: code count, the tree that codes the code lengths, the literal/length tree, the offset
// tree, then the codes.
class LzhBlockWriter
{
public:
    static constexpr int kMinMatch = 3;
    static constexpr int kMaxMatch = 256;
    static constexpr int kMaxCodesPerBlock = 65535;

    explicit LzhBlockWriter(int dictionaryBits);

    void literal(std::uint8_t byte)
    {
        m_symbols.push_back(byte);
        m_offsets.push_back(0);
        ++m_charFreq[byte];
    }

    // `distance` is 1 for the byte just before the current position.
    void match(int length, int distance)
    {
        const int symbol = 256 + length - kMinMatch;
        const std::uint32_t offset = std::uint32_t(distance - 1);
        m_symbols.push_back(std::uint16_t(symbol));
        m_offsets.push_back(std::uint16_t(offset));
        ++m_charFreq[symbol];
        ++m_offsetFreq[offsetSlot(offset)];
    }

    int pendingCodes() const { return int(m_symbols.size()); }

    // Writes the gathered codes as one block (nothing when there are none) and starts a new block.
    void flush(BitWriter& out);

    static int offsetSlot(std::uint32_t offset) { return int(std::bit_width(offset)); }

private:
    static constexpr int kCharCodes = 256 + kMaxMatch - kMinMatch + 1; // 510
    static constexpr int kLengthCodes = 19; // code lengths 0..16 and three run codes
    static constexpr int kMaxOffsetCodes = 17;

    void writeLengthTable(BitWriter& out, const std::uint8_t* lengths, int count, int countBits, int special);
    void writeCharLengths(BitWriter& out, const std::uint8_t* charLengths);
    void countLengthFreq(const std::uint8_t* charLengths, std::uint32_t* freq) const;

    int m_offsetCodes;
    int m_offsetBits;
    std::vector<std::uint16_t> m_symbols;
    std::vector<std::uint16_t> m_offsets;
    std::array<std::uint32_t, kCharCodes> m_charFreq{};
    std::array<std::uint32_t, kMaxOffsetCodes> m_offsetFreq{};
    std::array<std::uint8_t, kLengthCodes> m_lenLengths{};
    std::array<std::uint16_t, kLengthCodes> m_lenCodes{};
};
