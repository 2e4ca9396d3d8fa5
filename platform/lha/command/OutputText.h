#pragma once

#include <QByteArray>
#include <QString>

// The messages of one command, handed to the caller's buffer in the OS
// encoding, each line ending in LF. Control characters inside a line (from
// names) are escaped, so every LF in the output ends a line of ours.
class OutputText
{
public:
    void line(const QString& text);
    QByteArray bytes() const { return bytes_; }
    // Copies into `out`, cut to fit (never inside a character) and always
    // NUL-terminated when size > 0.
    void copyTo(char* out, unsigned long size) const;

private:
    QByteArray bytes_;
};
