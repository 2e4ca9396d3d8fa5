#include "platform/ftp/FtpEntryLookup.h"

#include "platform/ftp/FtpSession.h"
#include "platform/ftp/FtpWildcard.h"

namespace {

// Splits "a/b/c" into "a/b" and "c"; "/c" into "/" and "c"; "c" into "" and "c".
std::pair<QString, QString> splitPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {QString(), path};
    return {slash == 0 ? QStringLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

} // namespace

FtpResult FtpEntryLookup::entryFromParent(const QString& path, FtpEntry& entry)
{
    const auto [dir, name] = splitPath(path);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return FtpResult::failure(QStringLiteral("No entry name to look up."));
    const auto wanted = session_.encodePath(name);
    QList<FtpEntry> entries;
    FtpResult listed = session_.listDirectory(dir, entries);
    if (!listed)
        return listed;
    for (const FtpEntry& candidate : entries) {
        if (candidate.name == name || (wanted && candidate.rawName == *wanted)) {
            entry = candidate;
            return listed;
        }
    }
    return FtpResult::failure(QStringLiteral("No such entry."));
}

FtpResult FtpEntryLookup::findEntry(const QString& path, FtpEntry& entry)
{
    QString target = path;
    while (target.size() > 1 && target.endsWith(QLatin1Char('/')))
        target.chop(1);
    if (FtpWildcard::hasWildcard(splitPath(target).second)) {
        QList<FtpEntry> matches;
        FtpResult found = search(target, matches);
        if (!found)
            return found;
        if (matches.isEmpty())
            return FtpResult::failure(QStringLiteral("No entry matches."));
        entry = matches.first();
        return found;
    }
    if (session_.usesMachineListings()) {
        bool unsupported = false;
        FtpResult found = session_.describeEntry(target, entry, unsupported);
        if (!unsupported)
            return found;
    }
    return entryFromParent(target, entry);
}

FtpResult FtpEntryLookup::search(const QString& pattern, QList<FtpEntry>& entries)
{
    entries.clear();
    const auto [dir, last] = splitPath(pattern);
    const bool everything = last.isEmpty() || last == QLatin1String("*") || last == QLatin1String("*.*");
    QList<FtpEntry> listed;
    FtpResult result;
    if (everything || FtpWildcard::hasWildcard(last)) {
        result = session_.listDirectory(dir, listed);
    } else {
        result = session_.listDirectory(pattern, listed);
        if (!result && session_.isConnected()) {
            // Not a directory: MLSD refuses a file, so describe the file itself.
            FtpEntry single;
            result = findEntry(pattern, single);
            if (result)
                listed.append(single);
        }
    }
    if (!result)
        return result;
    for (const FtpEntry& entry : std::as_const(listed)) {
        if (everything || !FtpWildcard::hasWildcard(last) || FtpWildcard::matches(last, entry.name))
            entries.append(entry);
    }
    return result;
}
