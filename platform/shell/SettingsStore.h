#pragma once

#include <QString>

// Per-user string values addressed by application, section and key, the
// store that the products and all our programs share.
namespace SettingsStore {

QString read(const QString& application, const QString& section, const QString& key,
             const QString& defaultValue);
// Outside Windows the values live in a file that, with its folder, only the
// user can read (it holds the FTP password); writing tightens older ones.
void write(const QString& application, const QString& section, const QString& key, const QString& value);

} // namespace SettingsStore
