#include "platform/lha/command/ArchiveUpdater.h"

#include "platform/lha/command/ArchiveReader.h"
#include "platform/lha/command/FileCollector.h"
#include "platform/lha/command/FileMetadata.h"
#include "platform/lha/command/FileNameCase.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/Wildcard.h"
#include "platform/lha/command/unlha32.h"
#include "platform/lha/compressor/LhaWriter.h"
#include "platform/lha/format/MemberPath.h"
#include "platform/text/LegacyText.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <optional>

namespace {

bool copyRange(QFile& in, qint64 from, qint64 to, QIODevice& out)
{
    if (!in.seek(from))
        return false;
    constexpr qint64 kBlock = 1 << 20;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (qint64 left = to - from; left > 0;) {
        const qint64 got = in.read(buffer.data(), qMin(left, kBlock));
        if (got <= 0 || out.write(buffer.constData(), got) != got)
            return false;
        left -= got;
    }
    return true;
}

LhaWriteOptions writeOptions(const LhaCommand& command)
{
    LhaWriteOptions options;
    switch (command.method) {
    case 0:
        options.method = LhaMethod::Lh0;
        break;
    case 6:
        options.method = LhaMethod::Lh6;
        break;
    case 7:
        options.method = LhaMethod::Lh7;
        break;
    default:
        options.method = LhaMethod::Lh5;
        break;
    }
    options.headerLevel = command.headerLevel;
    return options;
}

// A stored copy older than the file: levels 0 and 1 keep local DOS time,
// which counts in steps of two seconds.
bool isNewer(const QFileInfo& file, const MemberHeader& stored)
{
    if (!stored.modified.isValid())
        return true;
    const qint64 slack = stored.level < 2 ? 1 : 0;
    return file.lastModified().toSecsSinceEpoch() > stored.modified.toSecsSinceEpoch() + slack;
}

// The members already stored, found by the name a file is to be stored
// under: the same name, or the same name in other letter case when the
// file's own file system ignores case (there the two name the same file).
class StoredNames
{
public:
    void add(const QString& name, qsizetype index)
    {
        exact_.insert(name, index);
        folded_.insert(name.toCaseFolded(), index);
    }

    std::optional<qsizetype> find(const QString& name, const QString& localPath) const
    {
        if (const auto it = exact_.constFind(name); it != exact_.constEnd())
            return *it;
        const auto it = folded_.constFind(name.toCaseFolded());
        if (it != folded_.constEnd() && FileNameCase::isIgnoredAt(localPath))
            return *it;
        return std::nullopt;
    }

private:
    QHash<QString, qsizetype> exact_;
    QHash<QString, qsizetype> folded_;
};

// Writes the kept members and the new ones to a temporary file and puts it
// in place of the archive.
int rewrite(const QString& archivePath, ArchiveReader* old, const QSet<qsizetype>& dropped,
            const QList<LhaMemberSource>& added, const LhaCommand& command, OutputText& out)
{
    QSaveFile target(archivePath);
    if (!target.open(QIODevice::WriteOnly)) {
        out.line(QStringLiteral("Cannot create the archive: %1").arg(archivePath));
        return ERROR_TMP_OPEN;
    }
    if (old) {
        const QList<MemberHeader>& members = old->index().members();
        for (qsizetype i = 0; i < members.size(); ++i) {
            if (dropped.contains(i))
                continue;
            if (!copyRange(old->file(), members[i].headerOffset, members[i].endOffset(), target)) {
                target.cancelWriting();
                out.line(QStringLiteral("Cannot copy the archive's members"));
                return ERROR_CANNOT_WRITE;
            }
        }
    }
    QString error;
    const bool written =
        LhaWriter::writeMembers(added, writeOptions(command), target, &error, [&](qsizetype i) {
            out.line(QStringLiteral("Frozen ") + MemberPath::decodeName(added[i].info.nameCp932));
        });
    if (!written || !LhaWriter::writeEndOfArchive(target, &error)) {
        target.cancelWriting();
        out.line(QStringLiteral("Cannot write the archive: %1").arg(error));
        return ERROR_CANNOT_WRITE;
    }
    if (!target.commit()) {
        out.line(QStringLiteral("Cannot replace the archive: %1").arg(archivePath));
        return ERROR_CANNOT_WRITE;
    }
    return 0;
}

} // namespace

namespace ArchiveUpdater {

int add(const LhaCommand& command, OutputText& out)
{
    if (command.names.isEmpty()) {
        out.line(QStringLiteral("No files named"));
        return ERROR_COMMAND_NAME;
    }
    const QString archivePath = QFileInfo(command.archive).absoluteFilePath();
    ArchiveReader reader;
    const bool exists = QFileInfo::exists(archivePath);
    if (exists) {
        if (const int error = reader.open(archivePath)) {
            out.line(reader.message());
            return error;
        }
    }
    StoredNames stored;
    if (exists) {
        const QList<MemberHeader>& members = reader.index().members();
        for (qsizetype i = 0; i < members.size(); ++i)
            stored.add(MemberPath::fromRaw(members[i].rawPath).display(), i);
    }

    const FileCollector::Result found = FileCollector::collect(command, archivePath);
    int result = 0;
    for (const QString& missing : found.missing) {
        out.line(QStringLiteral("Not found: %1").arg(missing));
        result = ERROR_NOT_EXIST;
    }
    QList<LhaMemberSource> added;
    QSet<qsizetype> dropped;
    for (const FileCollector::File& file : found.files) {
        const QFileInfo info(file.localPath);
        const auto name = LegacyText::encode(file.storedName);
        if (!name) {
            // An archive without this file would pass for complete: stop.
            out.line(QStringLiteral("Error %1: name has no CP932 form").arg(file.storedName));
            return ERROR_LONG_FILE_NAME;
        }
        if (const auto previous = stored.find(file.storedName, file.localPath)) {
            if (command.command == QLatin1Char('u') && !isNewer(info, reader.index().members()[*previous]))
                continue;
            dropped.insert(*previous);
        }
        LhaMemberSource source;
        source.localPath = file.localPath;
        source.info.nameCp932 = *name;
        source.info.modified = info.lastModified();
        source.info.unixMode = FileMetadata::unixModeOf(file.localPath);
        source.info.hasUnixMode = true;
        added.append(source);
    }
    if (added.isEmpty()) {
        if (!exists && result == 0)
            result = ERROR_NOT_EXIST;
        out.line(QStringLiteral("Nothing to add"));
        return result;
    }
    const int written = rewrite(archivePath, exists ? &reader : nullptr, dropped, added, command, out);
    return written != 0 ? written : result;
}

int remove(const LhaCommand& command, OutputText& out)
{
    if (command.names.isEmpty()) {
        out.line(QStringLiteral("No members named"));
        return ERROR_COMMAND_NAME;
    }
    const QString archivePath = QFileInfo(command.archive).absoluteFilePath();
    ArchiveReader reader;
    if (const int error = reader.open(archivePath)) {
        out.line(reader.message());
        return error;
    }
    QSet<qsizetype> dropped;
    const QList<MemberHeader>& members = reader.index().members();
    for (qsizetype i = 0; i < members.size(); ++i) {
        const QString name = MemberPath::fromRaw(members[i].rawPath).display();
        if (Wildcard::selects(command.names, name)) {
            dropped.insert(i);
            out.line(QStringLiteral("Deleted ") + name);
        }
    }
    if (dropped.isEmpty()) {
        out.line(QStringLiteral("No member matched"));
        return ERROR_NOT_EXIST;
    }
    if (dropped.size() == members.size()) {
        reader.file().close();
        if (!QFile::remove(archivePath)) {
            out.line(QStringLiteral("Cannot remove the archive: %1").arg(archivePath));
            return ERROR_CANNOT_WRITE;
        }
        return 0;
    }
    return rewrite(archivePath, &reader, dropped, {}, command, out);
}

} // namespace ArchiveUpdater
