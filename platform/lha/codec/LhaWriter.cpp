#include "platform/lha/codec/LhaWriter.h"

#include <QIODevice>

namespace LhaWriter {

bool writeMember(QIODevice&, qint64, const LhaMemberInfo&, const LhaWriteOptions&, QIODevice&, QString* error)
{
    if (error)
        *error = QStringLiteral("not implemented yet");
    return false;
}

bool writeDirectory(const LhaMemberInfo&, const LhaWriteOptions&, QIODevice&, QString* error)
{
    if (error)
        *error = QStringLiteral("not implemented yet");
    return false;
}

bool writeMembers(const QList<LhaMemberSource>&, const LhaWriteOptions&, QIODevice&, QString* error,
                  const std::function<void(qsizetype)>&)
{
    if (error)
        *error = QStringLiteral("not implemented yet");
    return false;
}

bool writeEndOfArchive(QIODevice& out, QString* error)
{
    if (out.write("\0", 1) != 1) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace LhaWriter
