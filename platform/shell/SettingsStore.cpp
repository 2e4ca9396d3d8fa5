#include "platform/shell/SettingsStore.h"

#include "platform/shell/OwnerOnly.h"

#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace {

std::unique_ptr<QSettings> openSection(const QString& application, const QString& section)
{
#ifdef Q_OS_WIN
    // Where the products themselves keep these values.
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(application, application);
#endif
    settings->beginGroup(section);
    return settings;
}

} // namespace

namespace SettingsStore {

QString read(const QString& application, const QString& section, const QString& key,
             const QString& defaultValue)
{
    auto settings = openSection(application, section);
    const QVariant value = settings->value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void write(const QString& application, const QString& section, const QString& key, const QString& value)
{
    auto settings = openSection(application, section);
#ifndef Q_OS_WIN
    // The values include the FTP password. Qt writes the file anew with the
    // permissions of the one it replaces, so these hold from the first byte.
    OwnerOnly::makeFolder(QFileInfo(settings->fileName()).absolutePath());
    OwnerOnly::makeFile(settings->fileName());
#endif
    settings->setValue(key, value);
    settings->sync();
}

} // namespace SettingsStore
