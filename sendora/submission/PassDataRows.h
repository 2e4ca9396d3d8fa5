#pragma once

#include <QString>

// Which remote rows the Pass data fetch takes, and the local name a fetched
// file is stored under.
namespace PassDataRows {

// The row's name without leading and trailing blanks is exactly "Mirvel3.txt"; case counts.
bool isPassDataRow(const QString& rowName);

// The name a remote file is stored under locally: trailing blanks and dots
// removed, as the products' platform stores names. Empty when the name cannot
// be a plain file name in the chosen folder (a path, "." or "..", nothing left).
QString localFileName(const QString& remoteName);

} // namespace PassDataRows
