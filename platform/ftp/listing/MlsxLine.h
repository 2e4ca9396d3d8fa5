#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One MLSD line or MLST reply line: "fact=value;...; name". Fact names and
// type values are matched without regard to case. The facts end at the ";"
// that a blank or a TAB follows (a blank inside a fact value does not end
// them); the name is everything after that one separator, leading and
// trailing blanks included.
//
// The current and parent directory entries (type cdir and pdir) are named "."
// and "..", whatever name the server gives them (often a full path).
//
// readOnly, from the perm fact: a file that can be neither written ("w") nor
// appended to ("a"); a directory in which nothing can be created, neither
// files ("c") nor directories ("m"). Without perm, the owner's write bit of a
// UNIX.mode fact decides; without both the entry is taken as writable.
std::optional<FtpEntry> parseMlsxLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
