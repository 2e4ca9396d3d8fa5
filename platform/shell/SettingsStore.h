#pragma once

#include <QString>

// Per-user string values addressed by application, section and key, the
// store that the products and all our programs share.
namespace SettingsStore {

QString read(const QString& application, const QString& section, const QString& key,
             const QString& defaultValue);
void write(const QString& application, const QString& section, const QString& key, const QString& value);

} // namespace SettingsStore
