#pragma once

#include <cstdint>
#include <vector>

// Collects bits most significant first, as the LHA bit streams are read.
class BitWriter
{
public:
    void put(unsigned count, std::uint32_t value)
    {
        if (count == 0)
            return;
        m_acc = (m_acc << count) | (value & ((std::uint64_t(1) << count) - 1));
        m_bits += count;
        while (m_bits >= 8) {
            m_bits -= 8;
            m_bytes.push_back(std::uint8_t(m_acc >> m_bits));
        }
    }

    // Pads the last byte with zero bits.
    void flushPartialByte()
    {
        if (m_bits > 0)
            put(8 - m_bits, 0);
    }

    // Complete bytes so far; clearBytes() drops them once written out, keeping the pending bits.
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    void clearBytes() { m_bytes.clear(); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_acc = 0;
    unsigned m_bits = 0;
};
