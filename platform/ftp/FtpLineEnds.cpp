#include "platform/ftp/FtpLineEnds.h"

#include <cstring>

namespace {
#ifdef Q_OS_WIN
constexpr bool kLocalIsCrLf = true;
#else
constexpr bool kLocalIsCrLf = false;
#endif
} // namespace

void FtpAsciiDecoder::convert(const char* data, qsizetype size, QByteArray& out)
{
    if (kLocalIsCrLf) {
        out.append(data, size);
        return;
    }
    out.reserve(out.size() + size + 1);
    qsizetype pos = 0;
    if (pendingCr_ && size > 0) {
        pendingCr_ = false;
        if (data[0] != '\n')
            out.append('\r');
    }
    while (pos < size) {
        const void* found = memchr(data + pos, '\r', size_t(size - pos));
        if (!found) {
            out.append(data + pos, size - pos);
            break;
        }
        const qsizetype cr = static_cast<const char*>(found) - data;
        out.append(data + pos, cr - pos);
        if (cr + 1 == size) {
            pendingCr_ = true; // decided by the next block
            break;
        }
        if (data[cr + 1] != '\n')
            out.append('\r');
        pos = cr + 1;
    }
}

void FtpAsciiDecoder::finish(QByteArray& out)
{
    if (pendingCr_)
        out.append('\r');
    pendingCr_ = false;
}

void FtpAsciiEncoder::convert(const char* data, qsizetype size, QByteArray& out)
{
    if (kLocalIsCrLf) {
        out.append(data, size);
        return;
    }
    out.reserve(out.size() + size + size / 16 + 1);
    qsizetype pos = 0;
    while (pos < size) {
        const void* found = memchr(data + pos, '\n', size_t(size - pos));
        if (!found) {
            out.append(data + pos, size - pos);
            break;
        }
        const qsizetype lf = static_cast<const char*>(found) - data;
        out.append(data + pos, lf - pos);
        const bool precededByCr = lf > 0 ? data[lf - 1] == '\r' : lastWasCr_;
        if (!precededByCr)
            out.append('\r');
        out.append('\n');
        pos = lf + 1;
    }
    if (size > 0)
        lastWasCr_ = data[size - 1] == '\r';
}
