#pragma once

#include "sendora/submission/VerificationArchiver.h"

#include <QDate>
#include <QString>
#include <functional>

struct PackageOutcome
{
    bool dayFileFound = false;
    bool archiveBuilt = false;
    QString archivePath;
};

// The first stage of a verification submission: clears the working folder of
// earlier day files and archives, collects the range's day files and monthly
// databases and, when a day file was found, packs them into the archive and
// removes the collected copies.
class VerificationPackager
{
public:
    using Yield = std::function<void()>;

    VerificationPackager(QString programFolder, VerificationArchiver archiver);

    // dataFolderSetting: the stored data folder as it stands (relative to the program folder when relative).
    PackageOutcome run(const QString& dataFolderSetting, const QDate& endDate, int dayCount,
                       const Yield& yieldToUi = {}) const;

private:
    QString programFolder_;
    VerificationArchiver archiver_;
};
