#pragma once

#include <cstdint>
#include <vector>

// Collects bits most significant first, as the LHA bit streams are read. Bits go out to the byte buffer
// 32 at a time, which keeps the per-code work small on data that is mostly literals.
class BitWriter
{
public:
    // `count` is at most 16 (the longest code or offset field of the block format).
    void put(unsigned count, std::uint32_t value)
    {
        m_acc = (m_acc << count) | (value & ((std::uint64_t(1) << count) - 1));
        m_bits += count;
        if (m_bits >= 32) {
            m_bits -= 32;
            const std::uint32_t word = std::uint32_t(m_acc >> m_bits);
            const std::uint8_t out[4] = {std::uint8_t(word >> 24), std::uint8_t(word >> 16),
                                         std::uint8_t(word >> 8), std::uint8_t(word)};
            m_bytes.insert(m_bytes.end(), out, out + 4);
        }
    }

    // Writes out every pending bit, the last byte padded with zero bits.
    void flushPartialByte()
    {
        while (m_bits >= 8) {
            m_bits -= 8;
            m_bytes.push_back(std::uint8_t(m_acc >> m_bits));
        }
        if (m_bits > 0) {
            m_bytes.push_back(std::uint8_t(m_acc << (8 - m_bits)));
            m_bits = 0;
        }
    }

    // Bytes written out so far (up to 31 further bits may still be pending); clearBytes() drops them once
    // they have been passed on.
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    void clearBytes() { m_bytes.clear(); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_acc = 0;
    unsigned m_bits = 0;
};
