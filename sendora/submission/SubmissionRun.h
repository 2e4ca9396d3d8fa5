#pragma once

#include "sendora/submission/VerificationArchiver.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class SubmissionTarget;

// How a submission ended. The window shows a completion text for Sent, a
// failure text and a warning for NotSent and PassDataNotWritten, and nothing
// for the rest.
enum class SubmissionOutcome
{
    Sent,               // the server took the whole file
    NotSent,            // connected, but the file did not reach the server whole
    NothingToSend,      // no archive came of the range: nothing was connected
    PassDataNotWritten, // the Pass data file could not hold the texts: nothing was connected
    NotConnected,       // the target refused to open and has told the user itself
    Ended,              // the program is ending: stopped before the next step, without a message
};

// The range a verification submission collects, as the window holds it when
// the command starts: a change made while the files are gathered does not mix
// two ranges in one archive.
struct VerificationRequest
{
    QString dataFolderSetting; // the stored data folder as it stands
    QDate endDate;
    int dayCount = 0;
};

// One submission from the gathering of its file to the disconnect: the
// verification data (package the range into Temp, open the target, send the
// archive, close, remove the archive) or the Pass data (write the file, open,
// send it, close; the file stays for the next start-up). Once the target
// reports that the program is ending, the run makes no further call on it.
class SubmissionRun
{
public:
    // Where the window acts between steps.
    struct Observer
    {
        std::function<void()> yieldToUi;  // while the files are gathered
        std::function<void()> connecting; // just before the target is opened
    };

    SubmissionRun(QString programFolder, SubmissionTarget& target, Observer observer = {},
                  VerificationArchiver archiver = {});

    SubmissionOutcome sendVerificationData(const VerificationRequest& request) const;
    SubmissionOutcome sendPassData(const QString& first, const QString& second) const;

private:
    // Connects for the upload; an outcome when the run ends here.
    std::optional<SubmissionOutcome> openTarget() const;
    // The single-file upload each submission ends with, once connected: the
    // file into the current remote folder, then the disconnect.
    SubmissionOutcome SendVerificData() const;
    SubmissionOutcome SendPassData() const;
    SubmissionOutcome sendAndClose(const QString& localPath) const;

    QString programFolder_;
    SubmissionTarget& target_;
    Observer observer_;
    VerificationArchiver archiver_;
};
