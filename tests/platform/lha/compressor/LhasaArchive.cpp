#include "tests/platform/lha/compressor/LhasaArchive.h"

#include "platform/lha/format/Crc16.h"

#include <QFile>
#include <cstring>
#include <lhasa.h>

namespace {

struct MemoryInput
{
    const QByteArray* bytes;
    qsizetype pos = 0;
};

int memoryRead(void* handle, void* buf, size_t len)
{
    auto in = static_cast<MemoryInput*>(handle);
    const qsizetype n = qMin<qsizetype>(qsizetype(len), in->bytes->size() - in->pos);
    std::memcpy(buf, in->bytes->constData() + in->pos, size_t(n));
    in->pos += n;
    return int(n);
}

int memorySkip(void* handle, size_t len)
{
    auto in = static_cast<MemoryInput*>(handle);
    if (qsizetype(len) > in->bytes->size() - in->pos)
        return 0;
    in->pos += qsizetype(len);
    return 1;
}

void memoryClose(void*) {}

const LHAInputStreamType kMemoryStream = {memoryRead, memorySkip, memoryClose};

LhasaArchive readAll(LHAInputStream* stream, bool keepData, qsizetype endOffset, const qsizetype* pos)
{
    LhasaArchive archive;
    LHAReader* reader = lha_reader_new(stream);
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    while (LHAFileHeader* header = lha_reader_next_file(reader)) {
        LhasaMember m;
        m.path = QByteArray(header->path ? header->path : "") +
                 QByteArray(header->filename ? header->filename : "");
        m.method = QByteArray(header->compress_method);
        m.headerLevel = header->header_level;
        m.length = header->length;
        m.compressedLength = header->compressed_length;
        m.crc = header->crc;
        m.timestamp = header->timestamp;
        m.hasUnixPerms = LHA_FILE_HAVE_EXTRA(header, LHA_FILE_UNIX_PERMS);
        m.unixPerms = header->unix_perms;
        quint16 crc = 0;
        quint64 total = 0;
        for (;;) {
            const size_t got = lha_reader_read(reader, chunk.data(), size_t(chunk.size()));
            if (got == 0)
                break;
            crc = Crc16::update(crc, chunk.constData(), qsizetype(got));
            total += got;
            if (keepData)
                m.data.append(chunk.constData(), qsizetype(got));
        }
        m.crcMatches = total == m.length && crc == m.crc;
        archive.members.append(m);
    }
    // liblhasa also stops at a header it cannot parse; the end marker is the last byte we wrote.
    archive.reachedEnd = pos == nullptr || *pos >= endOffset;
    lha_reader_free(reader);
    return archive;
}

} // namespace

LhasaArchive readWithLhasa(const QByteArray& bytes)
{
    MemoryInput input{&bytes};
    LHAInputStream* stream = lha_input_stream_new(&kMemoryStream, &input);
    LhasaArchive archive = readAll(stream, true, bytes.size(), &input.pos);
    lha_input_stream_free(stream);
    return archive;
}

LhasaArchive checkFileWithLhasa(const QString& path)
{
    QByteArray name = QFile::encodeName(path);
    LHAInputStream* stream = lha_input_stream_from(name.data());
    if (!stream)
        return {};
    LhasaArchive archive = readAll(stream, false, 0, nullptr);
    lha_input_stream_free(stream);
    return archive;
}
