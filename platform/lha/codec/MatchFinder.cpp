#include "platform/lha/codec/MatchFinder.h"

#include <bit>
#include <cstring>

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

} // namespace

MatchFinder::MatchFinder(int windowBits, int maxChain, int niceLength)
    : m_windowMask((1u << windowBits) - 1), m_maxDistance((1u << windowBits) - 1), m_maxChain(maxChain),
      m_niceLength(niceLength), m_head(std::size_t(1) << kHashBits, 0),
      m_prev(std::size_t(1) << windowBits, 0)
{
}

MatchFinder::Match MatchFinder::insertAndFind(const std::uint8_t* at, std::uint32_t pos, int maxLength,
                                              int longerThan)
{
    const std::uint32_t h = hash(at);
    std::uint32_t candidate = m_head[h];
    m_prev[pos & m_windowMask] = candidate;
    m_head[h] = pos + 1;

    Match best;
    int bestLength = longerThan > 2 ? longerThan : 2;
    if (bestLength >= maxLength)
        return best;
    const int nice = m_niceLength < maxLength ? m_niceLength : maxLength;
    int chain = m_maxChain;
    // Each step checks the byte that would make the match longer first: most candidates fail there.
    while (candidate != 0 && chain-- > 0) {
        const std::uint32_t cpos = candidate - 1;
        const std::uint32_t distance = pos - cpos;
        if (distance > m_maxDistance)
            break;
        const std::uint8_t* c = at - distance;
        if (c[bestLength] == at[bestLength] && c[0] == at[0] && c[1] == at[1]) {
            const int length = commonLength(c, at, maxLength);
            if (length > bestLength) {
                bestLength = length;
                best = {length, int(distance)};
                if (length >= nice)
                    break;
            }
        }
        const std::uint32_t next = m_prev[cpos & m_windowMask];
        if (next >= candidate)
            break;
        candidate = next;
    }
    return best;
}
