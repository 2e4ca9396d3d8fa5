#pragma once

#include <QByteArray>

// ASCII-mode transfers carry CR LF line ends on the wire (RFC 959, 3.1.1.1).
// These converters work block by block while a file streams, so a CR LF split
// over two blocks is still one line end.

// Wire to local file: CR LF becomes the local line end; a lone CR stays.
class FtpAsciiDecoder
{
public:
    // Appends the converted form of [data, data+size) to out.
    void convert(const char* data, qsizetype size, QByteArray& out);
    // What a CR at the very end of the transfer still holds back.
    void finish(QByteArray& out);

private:
    bool pendingCr_ = false;
};

// Local file to wire: a bare LF becomes CR LF; an existing CR LF is kept as it is.
class FtpAsciiEncoder
{
public:
    void convert(const char* data, qsizetype size, QByteArray& out);

private:
    bool lastWasCr_ = false;
};
