// Opens, lists, tests and extracts an archive given as bytes, into a scratch
// folder, and writes every header it read again at each level. Besides
// crashes it stops on anything written outside that folder.

#include "platform/lha/command/ArchiveLister.h"
#include "platform/lha/command/CommandLine.h"
#include "platform/lha/command/Extractor.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/format/ArchiveIndex.h"
#include "platform/lha/format/LhaHeader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

// Large members decode correctly but slowly; the fuzzer is after the parser.
constexpr quint64 kMaxMember = 1 << 20;

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const ArchiveIndex index = ArchiveIndex::scan(buffer);
    for (const MemberHeader& h : index.members()) {
        if (h.originalSize > kMaxMember)
            return 0;
    }
    for (MemberHeader h : index.members()) {
        for (int level : {0, 1, 2}) {
            h.level = level;
            if (const auto written = LhaHeader::serialise(h, nullptr)) {
                QBuffer again;
                again.setData(*written);
                again.open(QIODevice::ReadOnly);
                LhaHeader::readAt(again, 0);
            }
        }
    }

    const QString root = scratch().path();
    const QString archive = root + QStringLiteral("/a.lzh");
    const QString dest = root + QStringLiteral("/out");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 0;
    }
    for (const char* line : {"l a.lzh", "t a.lzh", "x a.lzh out/"}) {
        auto parsed = CommandLine::parse(QString::fromLatin1(line));
        LhaCommand command = *parsed.command;
        command.archive = archive;
        if (!command.folder.isEmpty())
            command.folder = dest + QLatin1Char('/');
        OutputText out;
        switch (command.command.unicode()) {
        case 'l':
            ArchiveLister::list(command, out);
            break;
        case 't':
            ArchiveLister::test(command, out);
            break;
        default:
            Extractor::run(command, out);
            break;
        }
    }
    const QStringList top =
        QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : top) {
        if (name != QLatin1String("a.lzh") && name != QLatin1String("out"))
            std::abort(); // something escaped the destination
    }
    QDir(dest).removeRecursively();
    return 0;
}
