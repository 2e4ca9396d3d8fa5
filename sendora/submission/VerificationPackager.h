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

// The first stage of a verification submission, on disk: clears the working
// folder "Temp" of earlier day files and archives, copies the range's day files
// and monthly databases into it (CollectionPlan says which) and, when a day
// file was found, packs the folder into the archive and removes the copies.
// A file that is missing or cannot be copied is passed over: at worst the
// archive lacks files or is not built.
class VerificationPackager
{
public:
    using Yield = std::function<void()>;

    VerificationPackager(QString programFolder, VerificationArchiver archiver);

    // dataFolderSetting: the stored data folder as it stands (relative to the
    // program folder when relative). yieldToUi runs between steps and before
    // and after every day, so the windows stay responsive.
    PackageOutcome run(const QString& dataFolderSetting, const QDate& endDate, int dayCount,
                       const Yield& yieldToUi = {}) const;

private:
    QString programFolder_;
    VerificationArchiver archiver_;
};
