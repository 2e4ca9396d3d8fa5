#pragma once

#include <QString>

// Where the submissions find and leave their files, all below the program
// folder except the product's data folder.
namespace SubmissionPaths {

// The product's data folder from the stored setting: blanks around it are
// ignored, and a relative value (the default "10" is one) lies below the
// program folder.
QString dataFolder(const QString& setting, const QString& programFolder);

QString workingFolder(const QString& programFolder); // <program>/Temp
QString archivePath(const QString& programFolder);   // <program>/Temp/Qorlith.lzh
QString passDataPath(const QString& programFolder);  // <program>/Mirvel3.txt

inline constexpr const char16_t* kArchiveName = u"Qorlith.lzh";
inline constexpr const char16_t* kPassDataName = u"Mirvel3.txt";

} // namespace SubmissionPaths
