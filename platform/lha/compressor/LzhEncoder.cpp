#include "platform/lha/compressor/LzhEncoder.h"

#include "platform/lha/compressor/BitWriter.h"
#include "platform/lha/compressor/LzhBlockWriter.h"
#include "platform/lha/compressor/MatchFinder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMinMatch = LzhBlockWriter::kMinMatch;
constexpr int kMaxMatch = LzhBlockWriter::kMaxMatch;
// Bytes kept ahead of the position so that a whole match and the lazy look one byte further fit.
constexpr int kLookahead = kMaxMatch + 1;
constexpr std::int64_t kReadChunk = 1 << 20;
constexpr std::uint64_t kMaxMemberSize = 0xFFFFFFFFull - kReadChunk;

// The input window: the last window-size bytes before the position plus what has been read ahead.
class InputWindow
{
public:
    InputWindow(std::uint32_t historySize, const LzhEncoder::Reader& read)
        : m_history(historySize), m_data(historySize + kReadChunk + kLookahead), m_read(read)
    {
    }

    // Reads until `lookahead` bytes follow `pos` or the input ends. False on a read failure.
    bool fill(std::uint64_t pos)
    {
        while (!m_eof && m_end - pos < std::uint64_t(kLookahead)) {
            if (m_end - m_start == m_data.size()) {
                const std::uint64_t keep = pos - std::min<std::uint64_t>(pos - m_start, m_history);
                std::memmove(m_data.data(), m_data.data() + (keep - m_start), m_end - keep);
                m_start = keep;
            }
            const std::int64_t room = std::int64_t(m_data.size() - (m_end - m_start));
            const std::int64_t got = m_read(reinterpret_cast<char*>(m_data.data() + (m_end - m_start)), room);
            if (got < 0)
                return false;
            if (got == 0)
                m_eof = true;
            m_end += std::uint64_t(got);
        }
        return true;
    }

    const std::uint8_t* at(std::uint64_t pos) const { return m_data.data() + (pos - m_start); }
    std::uint64_t end() const { return m_end; }

private:
    std::uint32_t m_history;
    std::vector<std::uint8_t> m_data;
    const LzhEncoder::Reader& m_read;
    std::uint64_t m_start = 0;
    std::uint64_t m_end = 0;
    bool m_eof = false;
};

} // namespace

LzhEncoder::LzhEncoder(int dictionaryBits) : LzhEncoder(dictionaryBits, defaultTuning(dictionaryBits)) {}

LzhEncoder::LzhEncoder(int dictionaryBits, const Tuning& tuning)
    : m_dictionaryBits(dictionaryBits), m_tuning(tuning)
{
}

LzhEncoder::Tuning LzhEncoder::defaultTuning(int dictionaryBits)
{
    // Tuned on logger records and page-structured database files: deeper chains buy well under 0.1%.
    (void)dictionaryBits;
    return {256, 128, 64, 2048, 32768};
}

LzhEncoder::Result LzhEncoder::encode(const Reader& read, const Writer& write)
{
    InputWindow input(1u << m_dictionaryBits, read);
    MatchFinder finder(m_dictionaryBits, m_tuning.maxChain, m_tuning.niceLength, m_tuning.farThreeDistance);
    LzhBlockWriter block(m_dictionaryBits);
    BitWriter bits;

    auto flushBlock = [&]() {
        block.flush(bits);
        const auto& bytes = bits.bytes();
        const bool ok =
            bytes.empty() || write(reinterpret_cast<const char*>(bytes.data()), std::int64_t(bytes.size()));
        bits.clearBytes();
        return ok;
    };
    auto room = [&](std::uint64_t p) { return int(std::min<std::uint64_t>(input.end() - p, kMaxMatch)); };
    auto findAt = [&](std::uint64_t p, int longerThan) {
        if (room(p) < kMinMatch)
            return MatchFinder::Match{};
        return finder.insertAndFind(input.at(p), std::uint32_t(p), room(p), longerThan);
    };

    std::uint64_t pos = 0;
    MatchFinder::Match pending; // the match found at pos - 1 when that byte is still undecided
    bool undecided = false;
    for (;;) {
        if (!input.fill(pos))
            return Result::ReadFailed;
        if (input.end() > kMaxMemberSize)
            return Result::TooLarge;
        if (pos == input.end())
            break;

        MatchFinder::Match current;
        if (undecided && pending.length >= m_tuning.lazyLimit) {
            if (input.end() - pos >= std::uint64_t(kMinMatch))
                finder.insert(input.at(pos), std::uint32_t(pos), room(pos));
        } else {
            current = findAt(pos, undecided ? pending.length : 0);
        }

        if (undecided && pending.length >= kMinMatch && current.length <= pending.length) {
            block.match(pending.length, pending.distance);
            const std::uint64_t matchEnd = pos - 1 + std::uint64_t(pending.length);
            const std::uint64_t lastHashable = input.end() - kMinMatch;
            for (std::uint64_t p = pos + 1; p < matchEnd && p <= lastHashable; ++p)
                finder.insert(input.at(p), std::uint32_t(p), room(p));
            pos = matchEnd;
            undecided = false;
            pending = {};
        } else {
            if (undecided)
                block.literal(*input.at(pos - 1));
            undecided = true;
            pending = current;
            ++pos;
        }
        if (block.pendingCodes() >= m_tuning.codesPerBlock && !flushBlock())
            return Result::Stopped;
    }
    if (undecided)
        block.literal(*input.at(pos - 1));
    if (!flushBlock())
        return Result::Stopped;
    bits.flushPartialByte();
    if (!bits.bytes().empty() &&
        !write(reinterpret_cast<const char*>(bits.bytes().data()), std::int64_t(bits.bytes().size())))
        return Result::Stopped;
    return Result::Done;
}
