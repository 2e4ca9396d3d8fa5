#include "platform/ftp/FtpBufferReuse.h"

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Above the socket's one-megabyte read pieces, which a lower bound would
// send to the system again.
constexpr int kMapThreshold = 4 * 1024 * 1024;
constexpr int kTrimThreshold = 4 * kMapThreshold;

} // namespace

void keepTransferBuffersInHeap()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, kMapThreshold);
        mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    });
#endif
}
