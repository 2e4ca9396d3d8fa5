#pragma once

#include <QString>

// Where Sendora keeps its values in the settings store (application, section).
namespace SendoraSettings {

inline const QString kApplication = QStringLiteral("RedudUrazE");
inline const QString kSection = QStringLiteral("Settings");

} // namespace SendoraSettings
