#pragma once

#include <QString>

// The folder of the running executable: where the working folder, the Pass data
// file and the archiver live. Tests substitute a temporary folder.
namespace ProgramFolder {

QString path();
void setOverride(const QString& folder); // empty: back to the executable's folder

} // namespace ProgramFolder
