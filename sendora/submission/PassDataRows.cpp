#include "sendora/submission/PassDataRows.h"

#include "sendora/submission/SubmissionPaths.h"

namespace PassDataRows {

namespace {
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

bool isPassDataRow(const QString& rowName)
{
    return trimBlanks(rowName) == QString::fromUtf16(SubmissionPaths::kPassDataName);
}

QString localFileName(const QString& remoteName)
{
    QString name = remoteName;
    while (name.endsWith(u' ') || name.endsWith(u'.'))
        name.chop(1);
    // A name from a listing must not lead out of the chosen folder.
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return {};
    return name;
}

} // namespace PassDataRows
