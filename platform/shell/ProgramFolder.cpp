#include "platform/shell/ProgramFolder.h"

#include <QCoreApplication>

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void setOverride(const QString& folder)
{
    overrideFolder() = folder;
}

} // namespace ProgramFolder
