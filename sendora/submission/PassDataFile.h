#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The Pass data file: the two pass texts in CP932, one a line, every line
// ended by CR LF.
class PassDataFile
{
public:
    enum class WriteResult
    {
        Written,
        Unrepresentable, // a text holds a character CP932 cannot represent, or a line break
        WriteFailed,     // the file could not be written; an earlier file is left as it was
    };

    // The file's bytes for the two texts; empty when a text cannot be stored.
    static QByteArray encode(const QString& first, const QString& second, bool* ok = nullptr);

    // Replaces the file at path in one step, readable by the user only; on
    // failure nothing changes there.
    static WriteResult write(const QString& path, const QString& first, const QString& second);

    // The file's lines, decoded from CP932; lines end at CR LF, LF or CR.
    // A missing or unreadable file gives no lines.
    static QStringList read(const QString& path);
    static QStringList parse(const QByteArray& bytes);
};
