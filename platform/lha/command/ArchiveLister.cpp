#include "platform/lha/command/ArchiveLister.h"

#include "platform/lha/command/ArchiveReader.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/Wildcard.h"
#include "platform/lha/format/MemberDecoder.h"
#include "platform/lha/format/MemberPath.h"

namespace {

QString ratio(const MemberHeader& h)
{
    if (h.originalSize == 0)
        return QStringLiteral("  0.0%");
    const double r = 100.0 * double(h.packedSize) / double(h.originalSize);
    return QStringLiteral("%1%").arg(r, 5, 'f', 1);
}

} // namespace

namespace ArchiveLister {

int list(const LhaCommand& command, OutputText& out)
{
    ArchiveReader reader;
    if (const int error = reader.open(command.archive)) {
        out.line(reader.message());
        return error;
    }
    out.line(QStringLiteral("  Original   Packed  Ratio   Date     Time    Method Name"));
    out.line(QStringLiteral("---------- -------- ------ ---------- -------- ------ ----------------"));
    quint64 original = 0;
    quint64 packed = 0;
    int count = 0;
    for (const MemberHeader& h : reader.index().members()) {
        const QString name = MemberPath::fromRaw(h.rawPath).display();
        if (!Wildcard::selects(command.names, name))
            continue;
        const QString when = h.modified.isValid()
                                 ? h.modified.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                 : QStringLiteral("                   ");
        out.line(QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(h.originalSize, 10)
                     .arg(h.packedSize, 8)
                     .arg(ratio(h), when, QString::fromLatin1(h.method), name));
        original += h.originalSize;
        packed += h.packedSize;
        ++count;
    }
    out.line(QStringLiteral("---------- -------- ------ ---------- -------- ------ ----------------"));
    out.line(QStringLiteral("%1 %2 %3 files").arg(original, 10).arg(packed, 8).arg(count));
    return 0;
}

int test(const LhaCommand& command, OutputText& out)
{
    ArchiveReader reader;
    if (const int error = reader.open(command.archive)) {
        out.line(reader.message());
        return error;
    }
    int result = 0;
    for (const MemberHeader& h : reader.index().members()) {
        const QString name = MemberPath::fromRaw(h.rawPath).display();
        if (!Wildcard::selects(command.names, name))
            continue;
        QString reason;
        const int error = MemberDecoder::decode(reader.file(), h, nullptr, &reason);
        if (error != 0) {
            out.line(QStringLiteral("Error %1: %2").arg(name, reason));
            if (result == 0)
                result = error;
        } else {
            out.line(QStringLiteral("Tested ") + name);
        }
    }
    return result;
}

} // namespace ArchiveLister
