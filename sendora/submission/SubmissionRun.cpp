#include "sendora/submission/SubmissionRun.h"

#include "sendora/submission/PassDataFile.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/submission/SubmissionTarget.h"
#include "sendora/submission/VerificationPackager.h"

#include <QFile>
#include <QFileInfo>

SubmissionRun::SubmissionRun(QString programFolder, SubmissionTarget& target, Observer observer,
                             VerificationArchiver archiver)
    : programFolder_(std::move(programFolder)), target_(target), observer_(std::move(observer)),
      archiver_(std::move(archiver))
{
}

SubmissionOutcome SubmissionRun::sendVerificationData(const VerificationRequest& request) const
{
    if (target_.ending())
        return SubmissionOutcome::Ended;
    VerificationPackager(programFolder_, archiver_)
        .run(request.dataFolderSetting, request.endDate, request.dayCount, observer_.yieldToUi);
    // An archive left behind here goes with the next run, which clears it first.
    if (target_.ending())
        return SubmissionOutcome::Ended;
    const QString archive = SubmissionPaths::archivePath(programFolder_);
    if (!QFileInfo(archive).isFile())
        return SubmissionOutcome::NothingToSend;
    if (const auto ended = openTarget())
        return *ended;
    return SendVerificData();
}

SubmissionOutcome SubmissionRun::sendPassData(const QString& first, const QString& second) const
{
    if (target_.ending())
        return SubmissionOutcome::Ended;
    const QString passData = SubmissionPaths::passDataPath(programFolder_);
    // An older file must not go out as if it held the boxes' texts.
    if (PassDataFile::write(passData, first, second) != PassDataFile::WriteResult::Written)
        return SubmissionOutcome::PassDataNotWritten;
    if (!QFileInfo(passData).isFile())
        return SubmissionOutcome::NothingToSend;
    if (const auto ended = openTarget())
        return *ended;
    return SendPassData();
}

std::optional<SubmissionOutcome> SubmissionRun::openTarget() const
{
    if (observer_.connecting)
        observer_.connecting();
    if (target_.ending())
        return SubmissionOutcome::Ended;
    if (!target_.open())
        return target_.ending() ? SubmissionOutcome::Ended : SubmissionOutcome::NotConnected;
    return std::nullopt;
}

SubmissionOutcome SubmissionRun::SendVerificData() const
{
    const QString archive = SubmissionPaths::archivePath(programFolder_);
    const SubmissionOutcome outcome = sendAndClose(archive);
    // Sent or not, the archive is not kept: a failed upload is not retried.
    QFile::remove(archive);
    return outcome;
}

SubmissionOutcome SubmissionRun::SendPassData() const
{
    // The file stays: the next start-up loads the boxes from it.
    return sendAndClose(SubmissionPaths::passDataPath(programFolder_));
}

SubmissionOutcome SubmissionRun::sendAndClose(const QString& localPath) const
{
    const bool sent = target_.sendFile(localPath);
    if (target_.ending())
        return SubmissionOutcome::Ended;
    target_.close();
    if (target_.ending())
        return SubmissionOutcome::Ended;
    return sent ? SubmissionOutcome::Sent : SubmissionOutcome::NotSent;
}
