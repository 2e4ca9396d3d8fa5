#include "sendora/submission/ArchiveCommand.h"

#include "sendora/submission/SubmissionPaths.h"

#include <QDir>

QString AddQuotesToFN(const QString& strFileName)
{
    if (strFileName.contains(u',') || strFileName.contains(u' '))
        return u'"' + strFileName + u'"';
    return strFileName;
}

QString AddDirSep(const QString& strPathName)
{
    QString path = strPathName;
    while (path.endsWith(u' '))
        path.chop(1);
    if (path.endsWith(u'\\') || path.endsWith(u'/'))
        return path;
    const qsizetype back = path.lastIndexOf(u'\\');
    const qsizetype forward = path.lastIndexOf(u'/');
    if (back > forward)
        return path + u'\\';
    if (forward > back)
        return path + u'/';
    return path + QDir::separator();
}

namespace ArchiveCommand {

QString update(const QString& programFolder)
{
    const QString archive = QDir::toNativeSeparators(SubmissionPaths::archivePath(programFolder));
    const QString working = QDir::toNativeSeparators(SubmissionPaths::workingFolder(programFolder));
    const QString pattern =
        QDir::toNativeSeparators(SubmissionPaths::workingFolder(programFolder) + QStringLiteral("/*.*"));
    // "u", an empty switch field, then archive, base folder and files to add.
    return QStringLiteral("u  ") + AddQuotesToFN(archive) + u' ' + AddQuotesToFN(AddDirSep(working)) + u' ' +
           AddQuotesToFN(pattern) + u' ';
}

} // namespace ArchiveCommand
