#include "tests/support/common/TestEnvironment.h"

#include "platform/shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace TestEnvironment {

void isolate()
{
    static QTemporaryDir home;
    // A settings store of this process's own: Qt's test mode would share one
    // folder (~/.qttest) between suites that run at the same time.
    const QString config = home.path() + QStringLiteral("/config");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
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
