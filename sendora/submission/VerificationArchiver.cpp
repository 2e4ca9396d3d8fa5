#include "sendora/submission/VerificationArchiver.h"

#include "sendora/submission/ArchiveCommand.h"
#include "sendora/submission/SubmissionPaths.h"

#include <QFileInfo>
#include <exception>

VerificationArchiver::VerificationArchiver(Command command) : command_(std::move(command)) {}

bool VerificationArchiver::pack(const QString& programFolder) const
{
    if (command_) {
        QByteArray output(kOutputSize, '\0');
        try {
            // The result code and messages say nothing the archive's presence does not.
            command_(ArchiveCommand::update(programFolder), output);
        } catch (const std::exception&) {
            // A missing archiver library builds no archive; the submission then sends nothing.
        }
    }
    return QFileInfo(SubmissionPaths::archivePath(programFolder)).isFile();
}
