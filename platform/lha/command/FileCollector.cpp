#include "platform/lha/command/FileCollector.h"

#include "platform/lha/command/FileNameCase.h"
#include "platform/lha/command/Wildcard.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace {

class Collector
{
public:
    Collector(const LhaCommand& command, const QString& archivePath)
        : command_(command), archive_(QFileInfo(archivePath).absoluteFilePath())
    {
        const QString folder = command.folder.isEmpty() ? QDir::currentPath() : command.folder;
        baseDir_ = QDir(QFileInfo(folder).absoluteFilePath());
        const QString canonical = QFileInfo(baseDir_.path()).canonicalFilePath();
        basePrefix_ = canonical.isEmpty() ? QString() : canonical + QLatin1Char('/');
    }

    bool addName(const QString& name)
    {
        const QString path = QDir::cleanPath(QDir::isAbsolutePath(name) ? name : baseDir_.filePath(name));
        const QFileInfo info(path);
        const QString last = info.fileName();
        if (Wildcard::hasWildcard(last))
            return addMatches(info.absolutePath(), last);
        if (info.isSymLink())
            return false;
        if (info.isDir())
            return addTree(path, QFileInfo(path).absolutePath());
        if (info.isFile())
            return add(info, info.absolutePath());
        return false;
    }

    FileCollector::Result result;

private:
    bool addMatches(const QString& folder, const QString& pattern)
    {
        const auto flags = command_.recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot, flags);
        QList<QFileInfo> found;
        while (it.hasNext()) {
            it.next();
            if (Wildcard::matches(pattern, it.fileName()))
                found.append(it.fileInfo());
        }
        return addSorted(found, folder);
    }

    bool addTree(const QString& folder, const QString& relativeTo)
    {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QList<QFileInfo> found;
        while (it.hasNext()) {
            it.next();
            found.append(it.fileInfo());
        }
        return addSorted(found, relativeTo);
    }

    bool addSorted(QList<QFileInfo> found, const QString& relativeTo)
    {
        std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
            return a.absoluteFilePath() < b.absoluteFilePath();
        });
        bool any = false;
        for (const QFileInfo& info : found)
            any = add(info, relativeTo) || any;
        return any;
    }

    bool add(const QFileInfo& info, const QString& relativeTo)
    {
        if (!info.isFile() || info.isSymLink())
            return false;
        const QString absolute = info.absoluteFilePath();
        const QString canonical = info.canonicalFilePath();
        if (absolute == archive_ || canonical == QFileInfo(archive_).canonicalFilePath())
            return false;
        QString stored;
        if (!basePrefix_.isEmpty() && canonical.startsWith(basePrefix_))
            stored = canonical.mid(basePrefix_.size());
        else
            stored = QDir(relativeTo).relativeFilePath(absolute);
        if (stored.isEmpty() || stored.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(stored))
            stored = info.fileName();
        if (isCollected(stored, absolute))
            return true;
        seen_[stored.toCaseFolded()].append(result.files.size());
        result.files.append({absolute, stored});
        return true;
    }

    // The same name twice, or the same file named in other letter case
    // where the file system ignores case. Two files whose names differ only
    // in case on a file system that tells them apart are both kept.
    bool isCollected(const QString& stored, const QString& absolute) const
    {
        const auto it = seen_.constFind(stored.toCaseFolded());
        if (it == seen_.constEnd())
            return false;
        for (qsizetype index : *it) {
            const FileCollector::File& earlier = result.files.at(index);
            if (earlier.storedName == stored || FileNameCase::isSameFile(earlier.localPath, absolute))
                return true;
        }
        return false;
    }

    const LhaCommand& command_;
    QString archive_;
    QDir baseDir_;
    QString basePrefix_;
    QHash<QString, QList<qsizetype>> seen_; // case-folded stored name -> files
};

} // namespace

namespace FileCollector {

Result collect(const LhaCommand& command, const QString& archivePath)
{
    Collector collector(command, archivePath);
    for (const QString& name : command.names) {
        if (!collector.addName(name))
            collector.result.missing.append(name);
    }
    return collector.result;
}

} // namespace FileCollector
