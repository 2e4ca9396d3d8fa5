#include "platform/lha/compressor/SpillBuffer.h"

#include <QDir>

SpillBuffer::SpillBuffer(qint64 memoryLimit) : m_memoryLimit(memoryLimit) {}

bool SpillBuffer::append(const char* data, qint64 size)
{
    if (!m_file && m_memory.size() + size <= m_memoryLimit) {
        m_memory.append(data, size);
        m_size += size;
        return true;
    }
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/lha-member-XXXXXX"));
        if (!m_file->open() || m_file->write(m_memory) != m_memory.size()) {
            m_error = m_file->errorString();
            return false;
        }
        m_memory = QByteArray();
    }
    if (m_file->write(data, size) != size) {
        m_error = m_file->errorString();
        return false;
    }
    m_size += size;
    return true;
}

bool SpillBuffer::copyTo(QIODevice& out, QString* error)
{
    auto failed = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!m_file)
        return out.write(m_memory) == m_memory.size() || failed(out.errorString());
    if (!m_file->flush() || !m_file->seek(0))
        return failed(m_file->errorString());
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 left = m_size;
    while (left > 0) {
        const qint64 got = m_file->read(chunk.data(), qMin<qint64>(left, chunk.size()));
        if (got <= 0)
            return failed(m_file->errorString());
        if (out.write(chunk.constData(), got) != got)
            return failed(out.errorString());
        left -= got;
    }
    return true;
}
