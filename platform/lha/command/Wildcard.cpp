#include "platform/lha/command/Wildcard.h"

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Iterative match with one backtrack point: linear in practice, no recursion
// depth to exhaust on hostile patterns.
bool globMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace

namespace Wildcard {

bool matches(const QString& pattern, const QString& name)
{
    if (globMatch(pattern, name))
        return true;
    // "name.*" also selects "name" without any suffix.
    if (pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')))
        return globMatch(QStringView(pattern).chopped(2), name);
    return false;
}

bool selects(const QStringList& patterns, const QString& memberPath)
{
    if (patterns.isEmpty())
        return true;
    const QString fileName = memberPath.section(QLatin1Char('/'), -1);
    for (const QString& raw : patterns) {
        QString pattern = raw;
        pattern.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const bool withFolder = pattern.contains(QLatin1Char('/'));
        if (matches(pattern, withFolder ? memberPath : fileName))
            return true;
    }
    return false;
}

bool hasWildcard(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

} // namespace Wildcard
