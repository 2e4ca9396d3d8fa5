#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/FtpResult.h"

#include <QList>
#include <QString>

class FtpSession;

// Finding entries on a session: one entry by name or pattern, and the
// entries a search names. Wildcards ("*", "?") in the last component are
// matched by us on the listing of the directory part, case-sensitively.
class FtpEntryLookup
{
public:
    explicit FtpEntryLookup(FtpSession& session) : session_(session) {}

    // The entry itself (a directory too, never its contents): MLST when the
    // server has it, else the parent's listing filtered by name. A wildcard
    // gives the first match.
    FtpResult findEntry(const QString& path, FtpEntry& entry);
    // A directory name gives its contents, a pattern the matching entries;
    // "." and ".." are passed on as the server lists them, as in a listing.
    FtpResult search(const QString& pattern, QList<FtpEntry>& entries);

private:
    FtpResult entryFromParent(const QString& path, FtpEntry& entry);

    FtpSession& session_;
};
