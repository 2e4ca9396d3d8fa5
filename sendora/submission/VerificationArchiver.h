#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Packs the working folder into the verification archive with the archiver's
// "u" command. Whether it worked is judged only by the archive being there.
class VerificationArchiver
{
public:
    // The archiver's command entry: a command line in, its messages into
    // output, a result code back. It may throw when the archiver is missing.
    using Command = std::function<int(const QString& commandLine, QByteArray& output)>;

    explicit VerificationArchiver(Command command);

    // True when the archive exists afterwards.
    bool pack(const QString& programFolder) const;

    static constexpr qsizetype kOutputSize = 1024;

private:
    Command command_;
};
