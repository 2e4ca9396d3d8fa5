#include "sendora/submission/WorkingFolder.h"

#include "sendora/submission/SubmissionPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

WorkingFolder::WorkingFolder(const QString& programFolder)
    : path_(SubmissionPaths::workingFolder(programFolder)),
      archivePath_(SubmissionPaths::archivePath(programFolder))
{
}

QString WorkingFolder::filePath(const QString& name) const
{
    return path_ + u'/' + name;
}

bool WorkingFolder::ensureExists() const
{
    return QDir().mkpath(path_);
}

int WorkingFolder::removeMatching(const QString& pattern) const
{
    QDir dir(path_);
    if (!dir.exists())
        return 0;
    int removed = 0;
    // Matched without regard to case, as the products' file system does.
    const QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (dir.remove(name))
            ++removed;
    }
    return removed;
}

bool WorkingFolder::copyInto(const QString& source, const QString& copyName) const
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(filePath(copyName));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kChunk = 256 * 1024;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            break;
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    return out.commit();
}
