#include "platform/lha/compressor/PreparedMember.h"

#include "platform/lha/compressor/LzhEncoder.h"
#include "platform/lha/format/Crc16.h"
#include "platform/lha/format/LhaHeader.h"
#include "platform/lha/format/MemberPath.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryFile>

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr qint64 kMaxSize = 0xFFFFFFFFll - kChunk; // sizes are 32-bit fields in every header level

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

int dictionaryBits(LhaMethod method)
{
    switch (method) {
    case LhaMethod::Lh5:
        return 13;
    case LhaMethod::Lh6:
        return 15;
    case LhaMethod::Lh7:
        return 16;
    case LhaMethod::Lh0:
        break;
    }
    return 0;
}

QByteArray methodId(LhaMethod method)
{
    switch (method) {
    case LhaMethod::Lh5:
        return "-lh5-";
    case LhaMethod::Lh6:
        return "-lh6-";
    case LhaMethod::Lh7:
        return "-lh7-";
    case LhaMethod::Lh0:
        break;
    }
    return "-lh0-";
}

// The file type and permission bits a new member's header carries.
quint16 unixModeOf(const LhaMemberInfo& info)
{
    const quint16 permissions =
        info.hasUnixMode ? quint16(info.unixMode & 07777) : (info.isDirectory ? 0755 : 0644);
    return quint16((info.isDirectory ? UnixFileType::kDirectory : UnixFileType::kRegular) | permissions);
}

// Reads exactly `size` bytes of a member, keeping the CRC, and tells a short or long input apart from a
// failure.
class CountingReader
{
public:
    CountingReader(QIODevice& in, qint64 size) : m_in(in), m_size(size) {}

    qint64 read(char* buffer, qint64 capacity)
    {
        if (m_done == m_size) {
            char extra;
            const qint64 got = m_in.read(&extra, 1);
            if (got > 0)
                m_problem = QStringLiteral("the file grew while it was being archived");
            else if (got < 0)
                m_problem = m_in.errorString();
            return m_problem.isEmpty() ? 0 : -1;
        }
        const qint64 got = m_in.read(buffer, qMin(capacity, m_size - m_done));
        if (got <= 0) {
            m_problem =
                got < 0 ? m_in.errorString() : QStringLiteral("the file shrank while it was being archived");
            return -1;
        }
        m_crc = Crc16::update(m_crc, buffer, got);
        m_done += got;
        return got;
    }

    // Reads what is left, for the CRC of a member that will be stored.
    bool drain()
    {
        QByteArray chunk(kChunk, Qt::Uninitialized);
        for (;;) {
            const qint64 got = read(chunk.data(), chunk.size());
            if (got < 0)
                return false;
            if (got == 0)
                return true;
        }
    }

    quint16 crc() const { return m_crc; }
    QString problem() const { return m_problem; }

private:
    QIODevice& m_in;
    qint64 m_size;
    qint64 m_done = 0;
    quint16 m_crc = 0;
    QString m_problem;
};

} // namespace

bool PreparedMember::buildHeader(const QByteArray& method, quint32 packedSize, const LhaMemberInfo& info,
                                 int level, QString* error)
{
    const std::optional<MemberPath::Stored> name =
        MemberPath::forStoring(info.nameCp932, info.isDirectory, error);
    if (!name)
        return false;
    MemberHeader header;
    header.method = method;
    header.packedSize = packedSize;
    header.originalSize = quint64(m_size);
    header.crc = m_crc;
    header.level = level;
    header.osType = OsType::kUnix;
    header.rawPath = name->rawPath;
    header.fileName = name->fileName;
    header.modified = info.modified;
    header.unixMode = unixModeOf(info);
    header.dosAttribute =
        info.isDirectory ? MemberHeader::kDirectoryAttribute : MemberHeader::kArchiveAttribute;
    std::optional<QByteArray> bytes = LhaHeader::serialise(header, error);
    if (!bytes)
        return false;
    m_header = *bytes;
    return true;
}

bool PreparedMember::prepareDirectory(const LhaMemberInfo& info, const LhaWriteOptions& options,
                                      QString* error)
{
    LhaMemberInfo dir = info;
    dir.isDirectory = true;
    m_size = 0;
    m_crc = 0;
    return buildHeader(MemberHeader::kDirectoryMethod, 0, dir, options.headerLevel, error);
}

bool PreparedMember::prepare(QIODevice& in, qint64 size, const LhaMemberInfo& info,
                             const LhaWriteOptions& options, QString* error)
{
    if (size < 0 || size > kMaxSize)
        return fail(error, QStringLiteral("file too large for an LHA archive"));
    if (options.headerLevel < 0 || options.headerLevel > 2)
        return fail(error, QStringLiteral("unsupported header level %1").arg(options.headerLevel));
    m_size = size;
    // The name is checked before any work is spent on the data.
    if (!buildHeader("-lh0-", 0, info, options.headerLevel, error))
        return false;

    QIODevice* source = &in;
    if (in.isSequential()) {
        // A stored member is read twice, so a pipe is first copied aside.
        auto staged =
            std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/lha-input-XXXXXX"));
        if (!staged->open())
            return fail(error, staged->errorString());
        QByteArray chunk(kChunk, Qt::Uninitialized);
        for (;;) {
            const qint64 got = in.read(chunk.data(), chunk.size());
            if (got < 0)
                return fail(error, in.errorString());
            if (got == 0)
                break;
            if (staged->write(chunk.constData(), got) != got)
                return fail(error, staged->errorString());
        }
        if (!staged->seek(0))
            return fail(error, staged->errorString());
        m_staged = std::move(staged);
        source = m_staged.get();
    }
    m_input = source;
    m_inputStart = source->pos();

    CountingReader reader(*source, size);
    const int bits = dictionaryBits(options.method);
    bool compressed = false;
    if (bits != 0) {
        bool spillFailed = false;
        LzhEncoder encoder(bits);
        const LzhEncoder::Result result =
            encoder.encode([&](char* buffer, std::int64_t capacity) { return reader.read(buffer, capacity); },
                           [&](const char* data, std::int64_t n) {
                               // Giving up as soon as the data stops paying for itself saves most of the work
                               // on such files.
                               if (m_data.size() + n >= size)
                                   return false;
                               spillFailed = !m_data.append(data, n);
                               return !spillFailed;
                           });
        switch (result) {
        case LzhEncoder::Result::Done:
            compressed = m_data.size() < size;
            break;
        case LzhEncoder::Result::ReadFailed:
            return fail(error, reader.problem());
        case LzhEncoder::Result::TooLarge:
            return fail(error, QStringLiteral("file too large for an LHA archive"));
        case LzhEncoder::Result::Stopped:
            if (spillFailed)
                return fail(error, m_data.errorString());
            break;
        }
    }
    if (!compressed) {
        if (!reader.drain())
            return fail(error, reader.problem());
        m_stored = true;
    }
    m_crc = reader.crc();
    if (m_stored)
        return buildHeader("-lh0-", quint32(size), info, options.headerLevel, error);
    return buildHeader(methodId(options.method), quint32(m_data.size()), info, options.headerLevel, error);
}

bool PreparedMember::copyStored(QIODevice& out, QString* error)
{
    if (!m_input->seek(m_inputStart))
        return fail(error, m_input->errorString());
    QByteArray chunk(kChunk, Qt::Uninitialized);
    quint16 crc = 0;
    qint64 left = m_size;
    while (left > 0) {
        const qint64 got = m_input->read(chunk.data(), qMin(left, kChunk));
        if (got <= 0)
            return fail(error, got < 0 ? m_input->errorString()
                                       : QStringLiteral("the file shrank while it was being archived"));
        crc = Crc16::update(crc, chunk.constData(), got);
        if (out.write(chunk.constData(), got) != got)
            return fail(error, out.errorString());
        left -= got;
    }
    if (crc != m_crc)
        return fail(error, QStringLiteral("the file changed while it was being archived"));
    return true;
}

bool PreparedMember::writeTo(QIODevice& out, QString* error)
{
    if (out.write(m_header) != m_header.size())
        return fail(error, out.errorString());
    if (m_stored)
        return m_size == 0 || copyStored(out, error);
    return m_data.copyTo(out, error);
}
