#include "platform/lha/format/MemberDecoder.h"

#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/MacBinaryFilter.h"

#include <QIODevice>
#include <cstring>
#include <lha_decoder.h>
#include <memory>
#include <vector>

namespace {

// 64 KiB stays below the allocator's mmap threshold, so each member's buffers
// reuse the heap memory of the previous member's instead of fresh pages.
constexpr qint64 kBlock = 64 * 1024;

// Hands the decoder the member's packed bytes, never more.
struct PackedSource
{
    QIODevice* archive = nullptr;
    quint64 remaining = 0;
    std::vector<char> buffer = std::vector<char>(kBlock);
    qint64 begin = 0;
    qint64 end = 0;
    bool readFailed = false;

    // Fills `out` whole unless the member's data ends first: some decoders
    // (-lz5-) take any non-zero count as the whole request, so a short
    // read at a block boundary would corrupt their output.
    size_t take(void* out, size_t wanted)
    {
        size_t done = 0;
        while (done < wanted) {
            if (begin == end && !refill())
                break;
            const size_t n = qMin<size_t>(wanted - done, size_t(end - begin));
            std::memcpy(static_cast<char*>(out) + done, buffer.data() + begin, n);
            begin += qint64(n);
            done += n;
        }
        return done;
    }

    bool refill()
    {
        if (remaining == 0)
            return false;
        const qint64 chunk = qint64(qMin<quint64>(remaining, quint64(kBlock)));
        const qint64 got = archive->read(buffer.data(), chunk);
        if (got <= 0) {
            readFailed = true;
            return false;
        }
        remaining -= quint64(got);
        begin = 0;
        end = got;
        return true;
    }

    static size_t callback(void* buf, size_t len, void* self)
    {
        return static_cast<PackedSource*>(self)->take(buf, len);
    }
};

LHADecoderType* decoderFor(const QByteArray& method)
{
    if (method.size() != 5)
        return nullptr;
    char name[6];
    std::memcpy(name, method.constData(), 5);
    name[5] = '\0';
    return lha_decoder_for_name(name);
}

int fail(QString* reason, int code, const QString& text)
{
    if (reason)
        *reason = text;
    return code;
}

} // namespace

namespace MemberDecoder {

bool isSupportedMethod(const QByteArray& method)
{
    return method == MemberHeader::kDirectoryMethod || decoderFor(method) != nullptr;
}

int decode(QIODevice& archive, const MemberHeader& header, QIODevice* sink, QString* reason)
{
    if (header.isDirectory())
        return 0;
    LHADecoderType* type = decoderFor(header.method);
    if (!type)
        return fail(reason, ERROR_UNKNOWN_TYPE,
                    QStringLiteral("unsupported method %1").arg(QString::fromLatin1(header.method)));
    if (!archive.seek(header.dataOffset()))
        return fail(reason, ERROR_CANNOT_READ, QStringLiteral("cannot read the archive"));

    PackedSource source;
    source.archive = &archive;
    source.remaining = header.packedSize;
    std::unique_ptr<LHADecoder, void (*)(LHADecoder*)> decoder(
        lha_decoder_new(type, &PackedSource::callback, &source, size_t(header.originalSize)),
        lha_decoder_free);
    if (!decoder)
        return fail(reason, ERROR_ENOUGH_MEMORY, QStringLiteral("decoder unavailable"));

    MacBinaryFilter filter(header);
    std::vector<uint8_t> out(kBlock);
    quint64 total = 0;
    while (total < header.originalSize) {
        const size_t n = lha_decoder_read(decoder.get(), out.data(), out.size());
        if (n == 0)
            break;
        total += n;
        if (sink && !filter.write(*sink, reinterpret_cast<const char*>(out.data()), qint64(n)))
            return fail(reason, ERROR_CANNOT_WRITE, QStringLiteral("cannot write the extracted data"));
    }
    if (source.readFailed)
        return fail(reason, ERROR_CANNOT_READ, QStringLiteral("cannot read the archive"));
    if (total != header.originalSize || lha_decoder_get_crc(decoder.get()) != header.crc)
        return fail(reason, ERROR_FILE_CRC, QStringLiteral("CRC error"));
    return 0;
}

} // namespace MemberDecoder
