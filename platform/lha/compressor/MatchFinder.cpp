#include "platform/lha/compressor/MatchFinder.h"

#include <algorithm>
#include <bit>

namespace {

int commonLength(const std::uint8_t* a, const std::uint8_t* b, int limit)
{
    int n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            return n + (std::countr_zero(x ^ y) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

std::uint32_t load32(const std::uint8_t* at)
{
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

void prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace

MatchFinder::MatchFinder(int windowBits, int maxChain, int niceLength, int farThreeDistance)
    : m_windowMask((1u << windowBits) - 1), m_maxDistance((1u << windowBits) - 1), m_maxChain(maxChain),
      m_niceLength(niceLength), m_farThreeDistance(std::uint32_t(std::max(farThreeDistance, 0))),
      m_head3(std::size_t(1) << kHashBits, 0), m_prev3(std::size_t(1) << windowBits, 0),
      m_head4(std::size_t(1) << kHashBits, 0), m_prev4(std::size_t(1) << windowBits, 0)
{
}

MatchFinder::Match MatchFinder::insertAndFind(const std::uint8_t* at, std::uint32_t pos, int maxLength,
                                              int longerThan)
{
    const std::uint32_t h3 = hash3(at);
    const std::uint32_t h4 = maxLength >= 4 ? hash4(at) : kNoHash;
    const std::uint32_t first3 = m_head3[h3];
    const std::uint32_t first4 = h4 != kNoHash ? m_head4[h4] : 0;
    link(pos, h3, h4);
    // The next position is most often the next one looked at: start loading its chain heads now.
    if (maxLength >= 5) {
        prefetch(&m_head3[hash3(at + 1)]);
        prefetch(&m_head4[hash4(at + 1)]);
    }
    // Most positions of incompressible data have no candidate in reach: answer those without a walk.
    auto inReach = [&](std::uint32_t candidate, std::uint32_t reach) {
        return candidate != 0 && pos - (candidate - 1) <= reach;
    };
    if (inReach(first4, m_maxDistance)) {
        const Match best = findLong(at, pos, first4, maxLength, longerThan);
        // Every match of four bytes or more is on the four-byte chain: none there, none anywhere.
        if (best.length > 0)
            return best;
    }
    if (longerThan >= 3 || !inReach(first3, std::min(m_maxDistance, m_farThreeDistance)))
        return {};
    return findThree(at, pos, first3);
}

template <typename Visit>
void MatchFinder::walk(const std::vector<std::uint32_t>& previous, std::uint32_t candidate, std::uint32_t pos,
                       std::uint32_t reach, Visit visit) const
{
    const std::uint32_t oldest = pos > reach ? pos - reach : 0;
    for (int chain = m_maxChain; candidate != 0 && chain > 0; --chain) {
        const std::uint32_t cpos = candidate - 1;
        if (cpos < oldest || visit(cpos))
            return;
        const std::uint32_t next = previous[cpos & m_windowMask];
        if (next >= candidate)
            return; // the slot was reused: the rest of the chain is gone
        candidate = next;
    }
}

MatchFinder::Match MatchFinder::findLong(const std::uint8_t* at, std::uint32_t pos, std::uint32_t candidate,
                                         int maxLength, int longerThan) const
{
    Match best;
    int bestLength = std::max(longerThan, 3);
    if (bestLength >= maxLength)
        return best;
    const int nice = std::min(m_niceLength, maxLength);
    // A candidate can only win if it repeats the first four bytes and the four that end the best match so
    // far; most fail one of these two loads, and only the rest are compared byte by byte.
    const std::uint32_t head = load32(at);
    int tailAt = bestLength - 3;
    std::uint32_t tail = load32(at + tailAt);
    walk(m_prev4, candidate, pos, m_maxDistance, [&](std::uint32_t cpos) {
        const std::uint8_t* c = at - (pos - cpos);
        if (load32(c + tailAt) != tail || load32(c) != head)
            return false;
        const int length = commonLength(c, at, maxLength);
        if (length <= bestLength)
            return false;
        bestLength = length;
        best = {length, int(pos - cpos)};
        if (length >= nice)
            return true; // also keeps the next load inside the bytes there are
        tailAt = bestLength - 3;
        tail = load32(at + tailAt);
        return false;
    });
    return best;
}

MatchFinder::Match MatchFinder::findThree(const std::uint8_t* at, std::uint32_t pos,
                                          std::uint32_t candidate) const
{
    Match found;
    walk(m_prev3, candidate, pos, std::min(m_maxDistance, m_farThreeDistance), [&](std::uint32_t cpos) {
        const std::uint8_t* c = at - (pos - cpos);
        if (c[0] != at[0] || c[1] != at[1] || c[2] != at[2])
            return false;
        found = {3, int(pos - cpos)};
        return true;
    });
    return found;
}
