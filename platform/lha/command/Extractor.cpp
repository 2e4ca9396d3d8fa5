#include "platform/lha/command/Extractor.h"

#include "platform/lha/command/ArchiveReader.h"
#include "platform/lha/command/ExtractedFile.h"
#include "platform/lha/command/FileMetadata.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/Wildcard.h"
#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/MemberDecoder.h"
#include "platform/lha/format/MemberPath.h"

#include <QDir>
#include <QFileInfo>

namespace {

struct Target
{
    int error = 0;
    QString reason;
    QString path;
    QStringList created; // folders made for this member, outermost first

    Target& fail(int code, const QString& why)
    {
        error = code;
        reason = why;
        return *this;
    }
};

// Creates the folders of `parts` below `root` (all but the last part unless
// `wholeIsFolder`) and returns the final path, refusing links on the way.
Target prepare(const QString& root, const QStringList& parts, bool wholeIsFolder)
{
    Target t;
    QString current = root;
    const qsizetype folders = wholeIsFolder ? parts.size() : parts.size() - 1;
    for (qsizetype i = 0; i < folders; ++i) {
        current += QLatin1Char('/') + parts.at(i);
        const QFileInfo info(current);
        if (info.isSymLink())
            return t.fail(ERROR_MAKEDIRECTORY, QStringLiteral("folder is a symbolic link"));
        if (info.exists() && !info.isDir())
            return t.fail(ERROR_MAKEDIRECTORY, QStringLiteral("a file stands where a folder belongs"));
        if (!info.exists()) {
            if (!QDir().mkdir(current))
                return t.fail(ERROR_MAKEDIRECTORY, QStringLiteral("cannot create folder"));
            t.created.append(current);
        }
    }
    if (wholeIsFolder) {
        t.path = current;
        return t;
    }
    current += QLatin1Char('/') + parts.last();
    const QFileInfo info(current);
    if (info.isSymLink())
        return t.fail(ERROR_CANNOT_WRITE, QStringLiteral("destination is a symbolic link"));
    if (info.isDir())
        return t.fail(ERROR_CANNOT_WRITE, QStringLiteral("a folder stands where the file belongs"));
    t.path = current;
    return t;
}

// A refused member leaves nothing behind, not even the folders made for it.
void removeCreated(const Target& t)
{
    for (auto it = t.created.crbegin(); it != t.created.crend(); ++it)
        QDir().rmdir(*it);
}

int extractFile(QFile& archive, const MemberHeader& header, const QString& path, QString* reason)
{
    ExtractedFile file(path);
    if (!file.open()) {
        *reason = QStringLiteral("cannot create file");
        return ERROR_CANNOT_WRITE;
    }
    if (const int result = MemberDecoder::decode(archive, header, file.device(), reason))
        return result;
    if (!file.commit()) {
        *reason = QStringLiteral("cannot write file");
        return ERROR_CANNOT_WRITE;
    }
    FileMetadata::apply(path, header);
    return 0;
}

} // namespace

namespace Extractor {

int run(const LhaCommand& command, OutputText& out)
{
    ArchiveReader reader;
    if (const int error = reader.open(command.archive)) {
        out.line(reader.message());
        return error;
    }
    const QString folder = command.folder.isEmpty() ? QDir::currentPath() : command.folder;
    if (!QDir().mkpath(folder)) {
        out.line(QStringLiteral("Cannot create folder: %1").arg(folder));
        return ERROR_MAKEDIRECTORY;
    }
    const QString root = QFileInfo(folder).canonicalFilePath();

    int result = 0;
    auto failed = [&](int code, const QString& name, const QString& why) {
        out.line(QStringLiteral("Error %1: %2").arg(name, why));
        if (result == 0)
            result = code;
    };
    for (const MemberHeader& header : reader.index().members()) {
        const MemberPath name = MemberPath::fromRaw(header.rawPath);
        if (!Wildcard::selects(command.names, name.display()))
            continue;
        // "./" names the destination itself: there is nothing to make.
        if (header.isDirectory() && name.isEmpty())
            continue;
        if (!name.isSafe()) {
            failed(ERROR_HEADER_BROKEN, name.display(), QStringLiteral("refused, ") + name.refusal());
            continue;
        }
        if (header.isSymlink()) {
            failed(ERROR_NOT_SUPPORT, name.display(), QStringLiteral("symbolic link not extracted"));
            continue;
        }
        if (header.isDirectory()) {
            if (command.keepPaths) {
                const Target t = prepare(root, name.parts(), true);
                if (t.error) {
                    removeCreated(t);
                    failed(t.error, name.display(), t.reason);
                }
            }
            continue;
        }
        if (!MemberDecoder::isSupportedMethod(header.method)) {
            failed(ERROR_UNKNOWN_TYPE, name.display(),
                   QStringLiteral("unsupported method %1").arg(QString::fromLatin1(header.method)));
            continue;
        }
        const QStringList parts = command.keepPaths ? name.parts() : QStringList{name.fileName()};
        const Target t = prepare(root, parts, false);
        if (t.error) {
            removeCreated(t);
            failed(t.error, name.display(), t.reason);
            continue;
        }
        QString reason;
        if (const int error = extractFile(reader.file(), header, t.path, &reason)) {
            removeCreated(t);
            failed(error, name.display(), reason);
            continue;
        }
        out.line(QStringLiteral("Melted ") + QDir::toNativeSeparators(parts.join(QLatin1Char('/'))));
    }
    return result;
}

} // namespace Extractor
