#pragma once

#include <QString>

// Whether letter case tells local files apart. Windows and most Mac volumes
// ignore it, Unix file systems usually do not, and a mounted volume may do
// either, so the answer comes from the file system itself, not the platform.
namespace FileNameCase {

// True when the folder holding the existing file `path` finds the same file
// under its name in other letter case.
bool isIgnoredAt(const QString& path);

// True when both paths lead to the same existing file.
bool isSameFile(const QString& a, const QString& b);

} // namespace FileNameCase
