#include "updater/app/UpdaterConfig.h"

#include <QtGlobal>

QString UpdaterConfig::baseUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("UPDATER_BASE_URL");
    return fromEnvironment.isEmpty() ? QStringLiteral(UPDATER_BUILT_BASE_URL) : fromEnvironment;
}

QString UpdaterConfig::url(const QString& name)
{
    QString base = baseUrl();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + name;
}

QString UpdaterConfig::bareName(const QString& name)
{
    QString bare = name;
    while (bare.startsWith(QLatin1Char('\\')) || bare.startsWith(QLatin1Char('/')))
        bare.remove(0, 1);
    return bare;
}

QString UpdaterConfig::productFileName() const
{
    QString name = bareName(productProgram);
#ifndef Q_OS_WIN
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
#endif
    return name;
}
