#include "tests/support/common/TestEnvironment.h"

#include "platform/shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace TestEnvironment {

void isolate()
{
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    SingleInstance::setLockFolder(home.path() + QStringLiteral("/locks"));
}

QString binaryFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString systemPython()
{
    return QStringLiteral("/usr/bin/python3");
}

} // namespace TestEnvironment
