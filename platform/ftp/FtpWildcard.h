#pragma once

#include <QString>

// Names with "*" (any run of characters) and "?" (one character), matched by
// us on a listing because servers disagree on wildcards. Case-sensitive.
namespace FtpWildcard {

bool hasWildcard(const QString& pattern);
bool matches(const QString& pattern, const QString& name);

} // namespace FtpWildcard
