#include "sendora/submission/VerificationPackager.h"

#include "sendora/submission/CollectionPlan.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/submission/VerificationCollector.h"
#include "sendora/submission/WorkingFolder.h"

VerificationPackager::VerificationPackager(QString programFolder, VerificationArchiver archiver)
    : programFolder_(std::move(programFolder)), archiver_(std::move(archiver))
{
}

PackageOutcome VerificationPackager::run(const QString& dataFolderSetting, const QDate& endDate, int dayCount,
                                         const Yield& yieldToUi) const
{
    const auto yield = [&yieldToUi] {
        if (yieldToUi)
            yieldToUi();
    };

    const WorkingFolder folder(programFolder_);
    PackageOutcome outcome;
    outcome.archivePath = folder.archivePath();

    folder.ensureExists();
    // Monthly databases left by a run without day files stay and go into the next archive.
    folder.removeMatching(QStringLiteral("*.data"));
    folder.removeMatching(QStringLiteral("*.lzh"));
    yield();

    const QString dataFolder = SubmissionPaths::dataFolder(dataFolderSetting, programFolder_);
    const CollectionOutcome collected =
        VerificationCollector::collect(CollectionPlan::build(dataFolder, endDate, dayCount), folder, yield);
    outcome.dayFileFound = collected.dayFileFound;
    if (!collected.dayFileFound)
        return outcome;

    yield();
    outcome.archiveBuilt = archiver_.pack(programFolder_);
    yield();
    folder.removeMatching(QStringLiteral("*.data"));
    folder.removeMatching(QStringLiteral("*.mdb"));
    return outcome;
}
