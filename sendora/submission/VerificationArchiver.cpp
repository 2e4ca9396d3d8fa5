#include "sendora/submission/VerificationArchiver.h"

#include "platform/lha/binding/UnlhaBinding.h"
#include "sendora/submission/SubmissionPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>

QString AddQuotesToFN(const QString& strFileName)
{
    if (strFileName.contains(u',') || strFileName.contains(u' '))
        return u'"' + strFileName + u'"';
    return strFileName;
}

QString AddDirSep(const QString& strPathName)
{
    QString path = strPathName;
    while (path.endsWith(u' '))
        path.chop(1);
    if (path.endsWith(u'\\') || path.endsWith(u'/'))
        return path;
    const qsizetype back = path.lastIndexOf(u'\\');
    const qsizetype forward = path.lastIndexOf(u'/');
    if (back > forward)
        return path + u'\\';
    if (forward > back)
        return path + u'/';
    return path + QDir::separator();
}

namespace {

int unlha(const QString& commandLine, QByteArray& output)
{
    if (output.size() < VerificationArchiver::kOutputSize)
        output.resize(VerificationArchiver::kOutputSize, '\0');
    // The command line holds local paths: the file system's encoding.
    return UnlhaBinding::unlha(nullptr, QFile::encodeName(commandLine), output.data(),
                               static_cast<unsigned long>(output.size()));
}

} // namespace

VerificationArchiver::VerificationArchiver() : command_(&unlha) {}

VerificationArchiver::VerificationArchiver(Command command) : command_(std::move(command)) {}

bool VerificationArchiver::pack(const QString& programFolder) const
{
    if (command_) {
        QByteArray output(kOutputSize, '\0');
        try {
            // The result code and messages say nothing the archive's presence does not.
            command_(commandLine(programFolder), output);
        } catch (const std::exception&) {
            // A missing archiver library builds no archive; the submission then sends nothing.
        }
    }
    return QFileInfo(SubmissionPaths::archivePath(programFolder)).isFile();
}

QString VerificationArchiver::commandLine(const QString& programFolder)
{
    const QString working = SubmissionPaths::workingFolder(programFolder);
    const QString archive = QDir::toNativeSeparators(SubmissionPaths::archivePath(programFolder));
    const QString pattern = QDir::toNativeSeparators(working + QStringLiteral("/*.*"));
    // "u", an empty switch field, then archive, base folder and files to add.
    return QStringLiteral("u  ") + AddQuotesToFN(archive) + u' ' +
           AddQuotesToFN(AddDirSep(QDir::toNativeSeparators(working))) + u' ' + AddQuotesToFN(pattern) + u' ';
}
