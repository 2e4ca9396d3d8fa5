#pragma once

#include <QString>

// The archiver command line that packs the working folder into the
// verification archive, and the two helpers that prepare its paths.

// strFileName between double quotes when it holds a comma or a blank anywhere,
// otherwise unchanged. Does not trim.
QString AddQuotesToFN(const QString& strFileName);

// strPathName without trailing blanks, ending in one directory separator: the
// one already there ("\" or "/"), else the separator the path already uses,
// else the platform's.
QString AddDirSep(const QString& strPathName);

namespace ArchiveCommand {

// "u  <archive> <working folder>/ <working folder>/*.* " with the platform's
// separators; a path is quoted only when the program folder holds a blank or a comma.
QString update(const QString& programFolder);

} // namespace ArchiveCommand
