#include "sendora/submission/SubmissionPaths.h"

#include <QDir>

namespace SubmissionPaths {

namespace {
QString join(const QString& folder, const QString& name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}
} // namespace

QString dataFolder(const QString& setting, const QString& programFolder)
{
    const QString folder = QDir::fromNativeSeparators(setting.trimmed());
    if (folder.isEmpty())
        return QDir::cleanPath(programFolder);
    if (QDir::isRelativePath(folder))
        return QDir::cleanPath(join(programFolder, folder));
    return QDir::cleanPath(folder);
}

QString workingFolder(const QString& programFolder)
{
    return join(programFolder, QStringLiteral("Temp"));
}

QString archivePath(const QString& programFolder)
{
    return join(workingFolder(programFolder), QString::fromUtf16(kArchiveName));
}

QString passDataPath(const QString& programFolder)
{
    return join(programFolder, QString::fromUtf16(kPassDataName));
}

} // namespace SubmissionPaths
