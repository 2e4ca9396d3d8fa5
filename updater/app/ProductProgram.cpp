#include "updater/app/ProductProgram.h"

#include "platform/shell/ProgramLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ProductProgram::ProductProgram(const QString& folder, const QString& fileName)
    : folder_(folder), path_(QDir(folder).filePath(fileName))
{
}

bool ProductProgram::exists() const
{
    const QFileInfo info(path_);
    return info.exists() && info.isFile() && !info.isHidden();
}

bool ProductProgram::isRunning() const
{
#ifdef Q_OS_LINUX
    const QString wanted = QFileInfo(path_).canonicalFilePath();
    if (wanted.isEmpty())
        return false;
    const QDir proc(QStringLiteral("/proc"));
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QString target = QFile::symLinkTarget(proc.filePath(entry) + QStringLiteral("/exe"));
        if (target == wanted)
            return true;
    }
    return false;
#else
    // Elsewhere the system itself refuses to move a running program.
    return false;
#endif
}

ProductProgram::StartResult ProductProgram::start() const
{
    if (!exists())
        return StartResult::Missing;
    QFile file(path_);
    const QFileDevice::Permissions permissions = file.permissions();
    if (!(permissions & QFileDevice::ExeOwner))
        file.setPermissions(permissions | QFileDevice::ExeOwner);
    const bool started = ProgramLauncher::start({path_, folder_});
    return started ? StartResult::Started : StartResult::Failed;
}
