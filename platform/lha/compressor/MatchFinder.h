#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Hash chains over a sliding window: finds the longest earlier occurrence of the bytes at a position.
// Positions are absolute offsets in the member (below 4 GiB); the caller owns the bytes and passes, with
// every call, a pointer to the byte at the position being looked at.
//
// There are two chains. The one over four bytes holds every candidate for a match of four bytes or more;
// the one over three bytes is walked only when there is none, for the nearest three-byte match. Records of
// a fixed layout (logger files) share their first three bytes at nearly every position with every record in
// the window, so a single three-byte chain spent most of its walk on candidates that could not win.
class MatchFinder
{
public:
    struct Match
    {
        int length = 0;
        int distance = 0;
    };

    // Three-byte matches farther back than `farThreeDistance` are not worth their offset bits and are never
    // returned.
    MatchFinder(int windowBits, int maxChain, int niceLength, int farThreeDistance);

    // Records position `pos` (with `maxLength` >= 3 bytes at `at`) and returns the longest match of at most
    // `maxLength` bytes that is longer than `longerThan`, the nearest of equal ones; length 0 when there is
    // none.
    Match insertAndFind(const std::uint8_t* at, std::uint32_t pos, int maxLength, int longerThan);

    // Records the position without searching (inside a match already chosen); `available` >= 3 bytes follow.
    void insert(const std::uint8_t* at, std::uint32_t pos, int available)
    {
        link(pos, hash3(at), available >= 4 ? hash4(at) : kNoHash);
    }

private:
    static constexpr int kHashBits = 16;
    static constexpr std::uint32_t kNoHash = ~0u; // fewer than four bytes left

    // Puts the position at the head of its chains.
    void link(std::uint32_t pos, std::uint32_t h3, std::uint32_t h4)
    {
        const std::uint32_t slot = pos & m_windowMask;
        m_prev3[slot] = m_head3[h3];
        m_head3[h3] = pos + 1;
        if (h4 != kNoHash) {
            m_prev4[slot] = m_head4[h4];
            m_head4[h4] = pos + 1;
        }
    }

    static std::uint32_t hash3(const std::uint8_t* at)
    {
        const std::uint32_t v = std::uint32_t(at[0]) << 16 | std::uint32_t(at[1]) << 8 | at[2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    static std::uint32_t hash4(const std::uint8_t* at)
    {
        std::uint32_t v;
        std::memcpy(&v, at, 4);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    // The chains hold position + 1 of each entry, 0 for none. walk() hands visit() each position on a chain,
    // newest first, no farther back than `reach`, until visit() returns true.
    template <typename Visit>
    void walk(const std::vector<std::uint32_t>& previous, std::uint32_t candidate, std::uint32_t pos,
              std::uint32_t reach, Visit visit) const;
    Match findLong(const std::uint8_t* at, std::uint32_t pos, std::uint32_t candidate, int maxLength,
                   int longerThan) const;
    Match findThree(const std::uint8_t* at, std::uint32_t pos, std::uint32_t candidate) const;

    std::uint32_t m_windowMask;
    std::uint32_t m_maxDistance;
    int m_maxChain;
    int m_niceLength;
    std::uint32_t m_farThreeDistance;
    std::vector<std::uint32_t> m_head3; // newest entry per hash
    std::vector<std::uint32_t> m_prev3; // previous entry with the same hash, per window slot
    std::vector<std::uint32_t> m_head4;
    std::vector<std::uint32_t> m_prev4;
};
