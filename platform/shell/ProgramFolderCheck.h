#pragma once

#include <QString>

// The programs write beside themselves (working folder, Pass data file,
// updates). Started from a folder they cannot write, such as a shared install
// the user has no rights to, they say so when they start instead of failing
// later at the first file they write.
namespace ProgramFolderCheck {

inline constexpr const char16_t* kTitle = u"警告";

// Empty when files can be created in folder; otherwise the warning to show.
QString problem(const QString& folder);

} // namespace ProgramFolderCheck
