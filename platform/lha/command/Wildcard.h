#pragma once

#include <QString>
#include <QStringList>

// Wildcards as on the products' platform: '*' any run of characters, '?' one
// character, letters compared without regard to case, and "*.*" (any name
// ending in ".*") also matching names without a dot.
namespace Wildcard {

bool matches(const QString& pattern, const QString& name);

// Whether a member (its path with '/' between folders) is selected by
// `patterns`. No patterns selects every member. A pattern with a folder
// part is compared with the whole path, one without with the file name.
bool selects(const QStringList& patterns, const QString& memberPath);

bool hasWildcard(const QString& text);

} // namespace Wildcard
