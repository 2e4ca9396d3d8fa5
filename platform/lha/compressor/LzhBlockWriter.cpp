#include "platform/lha/compressor/LzhBlockWriter.h"

#include "platform/lha/compressor/HuffmanCode.h"

#include <algorithm>

namespace {

constexpr int kCharCountBits = 9;
constexpr int kLengthCountBits = 5;

int trimmedCount(const std::uint8_t* lengths, int count)
{
    while (count > 0 && lengths[count - 1] == 0)
        --count;
    return count;
}

int firstUsed(const std::uint32_t* freq, int count)
{
    for (int i = 0; i < count; ++i)
        if (freq[i] != 0)
            return i;
    return 0;
}

} // namespace

LzhBlockWriter::LzhBlockWriter(int dictionaryBits)
    : m_offsetCodes(dictionaryBits + 1), m_offsetBits(dictionaryBits <= 13 ? 4 : 5)
{
    m_symbols.reserve(kMaxCodesPerBlock);
    m_offsets.reserve(kMaxCodesPerBlock);
}

void LzhBlockWriter::writeLengthTable(BitWriter& out, const std::uint8_t* lengths, int count, int countBits,
                                      int special)
{
    const int n = trimmedCount(lengths, count);
    out.put(countBits, n);
    int i = 0;
    while (i < n) {
        const int k = lengths[i++];
        if (k <= 6)
            out.put(3, k);
        else
            out.put(k - 3, (1u << (k - 3)) - 2);
        if (i == special) {
            // After the first three lengths, two bits tell how many of the next three are zero.
            while (i < 6 && lengths[i] == 0)
                ++i;
            out.put(2, (i - 3) & 3);
        }
    }
}

void LzhBlockWriter::countLengthFreq(const std::uint8_t* charLengths, std::uint32_t* freq) const
{
    std::fill(freq, freq + kLengthCodes, 0u);
    const int n = trimmedCount(charLengths, kCharCodes);
    int i = 0;
    while (i < n) {
        const int k = charLengths[i++];
        if (k != 0) {
            ++freq[k + 2];
            continue;
        }
        int run = 1;
        while (i < n && charLengths[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2)
            freq[0] += run;
        else if (run <= 18)
            ++freq[1];
        else if (run == 19) {
            ++freq[0];
            ++freq[1];
        } else {
            ++freq[2];
        }
    }
}

void LzhBlockWriter::writeCharLengths(BitWriter& out, const std::uint8_t* charLengths)
{
    const int n = trimmedCount(charLengths, kCharCodes);
    out.put(kCharCountBits, n);
    auto code = [&](int symbol) { out.put(m_lenLengths[symbol], m_lenCodes[symbol]); };
    int i = 0;
    while (i < n) {
        const int k = charLengths[i++];
        if (k != 0) {
            code(k + 2);
            continue;
        }
        int run = 1;
        while (i < n && charLengths[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int r = 0; r < run; ++r)
                code(0);
        } else if (run <= 18) {
            code(1);
            out.put(4, run - 3);
        } else if (run == 19) {
            code(0);
            code(1);
            out.put(4, 15);
        } else {
            code(2);
            out.put(kCharCountBits, run - 20);
        }
    }
}

void LzhBlockWriter::flush(BitWriter& out)
{
    if (m_symbols.empty())
        return;

    std::array<std::uint8_t, kCharCodes> charLengths{};
    std::array<std::uint16_t, kCharCodes> charCodes{};
    std::array<std::uint8_t, kMaxOffsetCodes> offsetLengths{};
    std::array<std::uint16_t, kMaxOffsetCodes> offsetCodes{};

    out.put(16, std::uint32_t(m_symbols.size()));

    const int charsUsed = HuffmanCode::buildLengths(m_charFreq.data(), kCharCodes, charLengths.data());
    if (charsUsed >= 2) {
        std::array<std::uint32_t, kLengthCodes> lenFreq{};
        countLengthFreq(charLengths.data(), lenFreq.data());
        const int lensUsed = HuffmanCode::buildLengths(lenFreq.data(), kLengthCodes, m_lenLengths.data());
        if (lensUsed >= 2) {
            writeLengthTable(out, m_lenLengths.data(), kLengthCodes, kLengthCountBits, 3);
        } else {
            out.put(kLengthCountBits, 0);
            out.put(kLengthCountBits, firstUsed(lenFreq.data(), kLengthCodes));
        }
        HuffmanCode::buildCodes(m_lenLengths.data(), kLengthCodes, m_lenCodes.data());
        writeCharLengths(out, charLengths.data());
        HuffmanCode::buildCodes(charLengths.data(), kCharCodes, charCodes.data());
    } else {
        // A single symbol: both trees collapse to that symbol and its codes take no bits.
        out.put(kLengthCountBits, 0);
        out.put(kLengthCountBits, 0);
        out.put(kCharCountBits, 0);
        out.put(kCharCountBits, firstUsed(m_charFreq.data(), kCharCodes));
    }

    const int offsetsUsed =
        HuffmanCode::buildLengths(m_offsetFreq.data(), m_offsetCodes, offsetLengths.data());
    if (offsetsUsed >= 2) {
        writeLengthTable(out, offsetLengths.data(), m_offsetCodes, m_offsetBits, -1);
        HuffmanCode::buildCodes(offsetLengths.data(), m_offsetCodes, offsetCodes.data());
    } else {
        out.put(m_offsetBits, 0);
        out.put(m_offsetBits, firstUsed(m_offsetFreq.data(), m_offsetCodes));
    }

    for (std::size_t i = 0; i < m_symbols.size(); ++i) {
        const int symbol = m_symbols[i];
        out.put(charLengths[symbol], charCodes[symbol]);
        if (symbol >= 256) {
            const std::uint32_t offset = m_offsets[i];
            const int slot = offsetSlot(offset);
            out.put(offsetLengths[slot], offsetCodes[slot]);
            if (slot > 1)
                out.put(slot - 1, offset);
        }
    }

    m_symbols.clear();
    m_offsets.clear();
    m_charFreq.fill(0);
    m_offsetFreq.fill(0);
}
