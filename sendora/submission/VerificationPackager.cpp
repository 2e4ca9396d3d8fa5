#include "sendora/submission/VerificationPackager.h"

#include "sendora/submission/CollectionPlan.h"
#include "sendora/submission/SubmissionPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Deletes the plain files of folder whose names match pattern (e.g. "*.data");
// folders and other files stay.
void removeMatching(const QString& folder, const QString& pattern)
{
    QDir dir(folder);
    if (!dir.exists())
        return;
    // Matched without regard to case, as the products' file system does.
    const QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        dir.remove(name);
}

// Copies source to target, replacing an earlier copy only once the new one is complete.
void copyReplacing(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return;
    constexpr qint64 kChunk = 256 * 1024;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if ((chunk.isEmpty() && in.error() != QFileDevice::NoError) || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    out.commit();
}

// Copies every source of the plan that exists into the working folder. True
// when at least one day file existed: an archive is worth building.
bool collect(const QList<CollectionStep>& plan, const QString& workingFolder,
             const VerificationPackager::Yield& yield)
{
    bool dayFileFound = false;
    for (const CollectionStep& step : plan) {
        const bool dayFile = step.kind == CollectionStep::Kind::DayFile;
        if (dayFile)
            yield();
        if (QFileInfo(step.source).isFile()) {
            if (dayFile)
                dayFileFound = true;
            else
                yield();
            copyReplacing(step.source, workingFolder + u'/' + step.copyName);
        }
        if (dayFile)
            yield();
    }
    return dayFileFound;
}

} // namespace

VerificationPackager::VerificationPackager(QString programFolder, VerificationArchiver archiver)
    : programFolder_(std::move(programFolder)), archiver_(std::move(archiver))
{
}

PackageOutcome VerificationPackager::run(const QString& dataFolderSetting, const QDate& endDate, int dayCount,
                                         const Yield& yieldToUi) const
{
    const Yield yield = [&yieldToUi] {
        if (yieldToUi)
            yieldToUi();
    };

    const QString working = SubmissionPaths::workingFolder(programFolder_);
    PackageOutcome outcome;
    outcome.archivePath = SubmissionPaths::archivePath(programFolder_);

    QDir().mkpath(working);
    // Monthly databases left by a run without day files stay and go into the next archive.
    removeMatching(working, QStringLiteral("*.data"));
    removeMatching(working, QStringLiteral("*.lzh"));
    yield();

    const QString dataFolder = SubmissionPaths::dataFolder(dataFolderSetting, programFolder_);
    outcome.dayFileFound = collect(CollectionPlan::build(dataFolder, endDate, dayCount), working, yield);
    if (!outcome.dayFileFound)
        return outcome;

    yield();
    outcome.archiveBuilt = archiver_.pack(programFolder_);
    yield();
    removeMatching(working, QStringLiteral("*.data"));
    removeMatching(working, QStringLiteral("*.mdb"));
    return outcome;
}
