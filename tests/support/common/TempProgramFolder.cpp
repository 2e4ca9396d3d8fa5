#include "tests/support/common/TempProgramFolder.h"

#include "platform/shell/ProgramFolder.h"

#include <QDir>

TempProgramFolder::TempProgramFolder(bool withBlank)
{
    path_ = dir_.path();
    if (withBlank) {
        path_ += QStringLiteral("/Program Files");
        QDir().mkpath(path_);
    }
    ProgramFolder::setOverride(path_);
}

TempProgramFolder::~TempProgramFolder()
{
    ProgramFolder::setOverride({});
}

QString TempProgramFolder::filePath(const QString& name) const
{
    return path_ + QLatin1Char('/') + name;
}
