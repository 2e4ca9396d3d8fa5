#include "platform/shell/SettingsStore.h"

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
    settings->setValue(key, value);
    settings->sync();
}

} // namespace SettingsStore
