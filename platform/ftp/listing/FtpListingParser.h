#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <optional>

// Turns listing lines into entries. Lines that cannot be understood give
// nothing; no input makes these functions crash or loop.
namespace FtpListingParser {

QString decodeName(const QByteArray& raw, FtpNameEncoding encoding);
QByteArray encodeName(const QString& name, FtpNameEncoding encoding);

// One MLSD/MLST fact line ("type=file;size=12;modify=20240101120000; name").
// The name keeps leading and trailing blanks (only the single separating blank is removed).
std::optional<FtpEntry> parseMlsxLine(QByteArrayView line, FtpNameEncoding encoding);

// One LIST line: Unix "ls -l" variants, DOS/IIS and Windows dir, EPLF, the
// short VShell form and numeric modes with times in seconds. today decides
// the year of year-less Unix dates.
std::optional<FtpEntry> parseListLine(QByteArrayView line, const QDate& today, FtpNameEncoding encoding);

// A whole listing body (CR LF or LF line ends). mlsd selects the MLSD parser;
// "total N" lines and unparseable lines are skipped.
QList<FtpEntry> parseListing(QByteArrayView body, bool mlsd, const QDate& today, FtpNameEncoding encoding);

} // namespace FtpListingParser
