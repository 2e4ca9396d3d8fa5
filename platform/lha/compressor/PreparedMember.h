#pragma once

#include "platform/lha/compressor/LhaWriter.h"
#include "platform/lha/compressor/SpillBuffer.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

// One member compressed and ready to be appended: its header and its data. Data that does not shrink is
// read again from the input when written, stored as -lh0-.
class PreparedMember
{
public:
    // Reads and compresses `size` bytes of `in`. `in` must stay open until writeTo() when the member ends up
    // stored.
    bool prepare(QIODevice& in, qint64 size, const LhaMemberInfo& info, const LhaWriteOptions& options,
                 QString* error);
    bool prepareDirectory(const LhaMemberInfo& info, const LhaWriteOptions& options, QString* error);

    // Takes ownership of the input device (a file opened by a worker), kept until writeTo().
    void keepInput(std::unique_ptr<QIODevice> input) { m_ownedInput = std::move(input); }

    bool writeTo(QIODevice& out, QString* error);

private:
    bool buildHeader(const QByteArray& method, quint32 packedSize, const LhaMemberInfo& info, int level,
                     QString* error);
    bool copyStored(QIODevice& out, QString* error);

    QByteArray m_header;
    SpillBuffer m_data;
    bool m_stored = false;
    QIODevice* m_input = nullptr;
    qint64 m_inputStart = 0;
    qint64 m_size = 0;
    quint16 m_crc = 0;
    std::unique_ptr<QIODevice> m_ownedInput;
    std::unique_ptr<QIODevice> m_staged; // a copy of sequential input, read again when stored
};
