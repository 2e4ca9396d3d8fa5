#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryFile>
#include <memory>

class QIODevice;

// Holds compressed data until its header can be written: in memory up to a limit, then in a temporary file,
// so that a big member never needs its size in memory.
class SpillBuffer
{
public:
    explicit SpillBuffer(qint64 memoryLimit = qint64(4) << 20);

    bool append(const char* data, qint64 size);
    qint64 size() const { return m_size; }
    bool copyTo(QIODevice& out, QString* error);
    QString errorString() const { return m_error; }

private:
    qint64 m_memoryLimit;
    qint64 m_size = 0;
    QByteArray m_memory;
    std::unique_ptr<QTemporaryFile> m_file;
    QString m_error;
};
