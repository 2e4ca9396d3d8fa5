#pragma once

#include <QDate>
#include <QList>
#include <QString>

// One copy of the verification collection: a file of the product's data folder
// and the name its copy takes in the working folder.
struct CollectionStep
{
    enum class Kind
    {
        DayFile,
        MonthDatabase
    };

    Kind kind = Kind::DayFile;
    QString source;   // path below the data folder
    QString copyName; // plain name inside the working folder

    bool operator==(const CollectionStep&) const = default;
};

// The name parts under which the product files a day: "2009年", "02月", "18日fan.data".
struct DayNameParts
{
    QString year;
    QString month;
    QString day;

    static DayNameParts of(const QDate& date);
};

// Which files a verification submission collects for the range of dayCount
// days ending at endDate: the day files from the end date backwards, then the
// end month's database and, when the range reaches into another month, the
// database of the range's first month. Copies drop the year, so in a range
// longer than a year a later step overwrites an earlier one of the same name.
class CollectionPlan
{
public:
    static QList<CollectionStep> build(const QString& dataFolder, const QDate& endDate, int dayCount);
};
