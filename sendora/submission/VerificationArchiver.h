#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// strFileName between double quotes when it holds a comma or a blank anywhere,
// otherwise unchanged. Does not trim.
QString AddQuotesToFN(const QString& strFileName);

// strPathName without trailing blanks, ending in one directory separator: the
// one already there ("\" or "/"), else the separator the path already uses,
// else the platform's.
QString AddDirSep(const QString& strPathName);

// Packs the working folder into the verification archive with the archiver's
// "u" command. Whether it worked is judged only by the archive being there.
class VerificationArchiver
{
public:
    // The archiver's command entry: a command line in, its messages into
    // output, a result code back. It may throw when the archiver is missing.
    using Command = std::function<int(const QString& commandLine, QByteArray& output)>;

    // The archiver library's command entry, bound at its first use, beside the
    // program first. A missing library builds no archive.
    VerificationArchiver();
    explicit VerificationArchiver(Command command);

    // True when the archive exists afterwards.
    bool pack(const QString& programFolder) const;

    // "u  <archive> <working folder>/ <working folder>/*.* " with the platform's
    // separators; a path is quoted only when the program folder holds a blank or a comma.
    static QString commandLine(const QString& programFolder);

    static constexpr qsizetype kOutputSize = 1024;

private:
    Command command_;
};
