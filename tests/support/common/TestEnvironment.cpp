#include "tests/support/common/TestEnvironment.h"

#include "platform/shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace TestEnvironment {

namespace {
QTemporaryDir& runFolder()
{
    static QTemporaryDir folder;
    return folder;
}
} // namespace

void isolate()
{
    // A settings store of this process's own: Qt's test mode would share one
    // folder (~/.qttest) between suites that run at the same time.
    const QString config = folder() + QStringLiteral("/config");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    SingleInstance::setLockFolder(folder() + QStringLiteral("/locks"));
}

QString folder()
{
    return runFolder().path();
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
