#include "updater/app/NoticeText.h"

namespace {

constexpr qsizetype kShortestRest = 30;

// Only the space character counts as blank: line breaks carry the page's lines.
QString trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

namespace NoticeText {

QString fromPage(const QString& page)
{
    QString notice;
    QString rest = page;
    while (rest.size() >= kShortestRest) {
        // Without a ">" the pass would repeat itself forever, adding text
        // that the pass before has already taken.
        const qsizetype close = rest.indexOf(QLatin1Char('>'));
        if (close < 0)
            break;
        rest = rest.mid(close + 1);
        // The text after the last tag is never shown, as it has no end.
        const qsizetype next = rest.indexOf(QLatin1Char('<'));
        if (next < 0)
            break;
        notice = trimSpaces(notice) + trimSpaces(rest.left(next));
    }
    return notice;
}

} // namespace NoticeText
