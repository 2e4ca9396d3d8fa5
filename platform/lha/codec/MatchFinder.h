#pragma once

#include <cstdint>
#include <vector>

// Hash chains over a sliding window: finds the longest earlier occurrence of the bytes at a position.
// Positions are absolute offsets in the member (below 4 GiB); the caller owns the bytes and passes, with
// every call, a pointer to the byte at the position being looked at.
class MatchFinder
{
public:
    struct Match
    {
        int length = 0;
        int distance = 0;
    };

    MatchFinder(int windowBits, int maxChain, int niceLength);

    // Records position `pos` (whose first three bytes are at `at`) and returns the longest match of at most
    // `maxLength` bytes that is longer than `longerThan`; length 0 when there is none.
    Match insertAndFind(const std::uint8_t* at, std::uint32_t pos, int maxLength, int longerThan);

    // Records the position without searching (inside a match already chosen).
    void insert(const std::uint8_t* at, std::uint32_t pos)
    {
        const std::uint32_t h = hash(at);
        m_prev[pos & m_windowMask] = m_head[h];
        m_head[h] = pos + 1;
    }

private:
    static constexpr int kHashBits = 16;

    static std::uint32_t hash(const std::uint8_t* at)
    {
        const std::uint32_t v = std::uint32_t(at[0]) << 16 | std::uint32_t(at[1]) << 8 | at[2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    std::uint32_t m_windowMask;
    std::uint32_t m_maxDistance;
    int m_maxChain;
    int m_niceLength;
    std::vector<std::uint32_t> m_head; // position + 1 of the newest entry per hash, 0 for none
    std::vector<std::uint32_t> m_prev; // position + 1 of the previous entry with the same hash
};
