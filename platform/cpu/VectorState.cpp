#include "platform/cpu/VectorState.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

namespace {

__attribute__((target("avx"))) void zeroUpperHalves()
{
    _mm256_zeroupper();
}

bool hasWideVectors()
{
    // True only where the processor has them and the system saves them.
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

} // namespace

void clearWideVectorState()
{
    if (hasWideVectors())
        zeroUpperHalves();
}

#else

void clearWideVectorState() {}

#endif
