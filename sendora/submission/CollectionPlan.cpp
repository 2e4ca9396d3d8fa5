#include "sendora/submission/CollectionPlan.h"

DayNameParts DayNameParts::of(const QDate& date)
{
    DayNameParts parts;
    parts.year = QString::number(date.year()).rightJustified(4, u'0') + QStringLiteral("年");
    parts.month = QString::number(date.month()).rightJustified(2, u'0') + QStringLiteral("月");
    parts.day = QString::number(date.day()).rightJustified(2, u'0') + QStringLiteral("日fan.data");
    return parts;
}

namespace {

QString under(const QString& folder, const QString& path)
{
    if (folder.endsWith(u'/'))
        return folder + path;
    return folder + u'/' + path;
}

CollectionStep databaseStep(const QString& dataFolder, const DayNameParts& parts)
{
    return {CollectionStep::Kind::MonthDatabase,
            under(dataFolder, parts.year + u'/' + parts.month + QStringLiteral("Oz.mdb")),
            parts.month + QStringLiteral("Oz.mdb")};
}

} // namespace

QList<CollectionStep> CollectionPlan::build(const QString& dataFolder, const QDate& endDate, int dayCount)
{
    QList<CollectionStep> steps;
    // Without a day to handle the end month is never recorded: nothing is collected.
    if (!endDate.isValid() || dayCount <= 0)
        return steps;

    const DayNameParts end = DayNameParts::of(endDate);
    bool monthChanged = false;
    for (int i = 0; i < dayCount; ++i) {
        const DayNameParts day = DayNameParts::of(endDate.addDays(-i));
        // Only the month part is compared, as the product names its folders.
        if (day.month != end.month)
            monthChanged = true;
        steps.append({CollectionStep::Kind::DayFile,
                      under(dataFolder, day.year + u'/' + day.month + u'/' + day.day), day.month + day.day});
    }

    steps.append(databaseStep(dataFolder, end));
    if (monthChanged)
        steps.append(databaseStep(dataFolder, DayNameParts::of(endDate.addDays(-(dayCount - 1)))));
    return steps;
}
