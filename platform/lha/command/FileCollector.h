#pragma once

#include "platform/lha/command/CommandLine.h"

#include <QList>
#include <QString>
#include <QStringList>

// Finds the local files that a or u names: plain files, folders (taken
// whole) and wildcards in the last part of a name ("*.*" is every file),
// searched below with -r. Relative names are looked up under the base
// folder. A file under the base folder is stored under its path relative to
// it; others under their path relative to the folder they were found in.
// Symbolic links, the archive itself and anything that is not a plain file
// are left out.
namespace FileCollector {

struct File
{
    QString localPath;
    QString storedName; // '/' between folders
};

struct Result
{
    QList<File> files;
    QStringList missing; // names that matched nothing
};

Result collect(const LhaCommand& command, const QString& archivePath);

} // namespace FileCollector
