#pragma once

#include "platform/ftp/FtpReply.h"

#include <QByteArray>
#include <QString>

// Splits the bytes of a control connection into replies (RFC 959, 4.2).
// A multi-line reply "ddd-..." ends only at a line that starts with the same
// code followed by a blank (or the bare code) in column 0; anything else in
// between, including indented look-alikes, is part of the text. Lines may end
// in CR LF or a bare LF. Bytes may arrive in any split.
// The size cap guards memory, not the conversation: a longer reply is read to
// its end and keeps what fits (FtpReply::truncated). A first line that does
// not start with a code is a protocol error from which the reader does not
// recover (the connection is unusable after it).
class FtpReplyReader
{
public:
    enum class Status
    {
        NeedMore,
        Ready,
        Error
    };

    static constexpr qsizetype kDefaultMaxReplySize = 64 * 1024;

    explicit FtpReplyReader(qsizetype maxReplySize = kDefaultMaxReplySize);

    void feed(const char* data, qsizetype size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), bytes.size()); }

    // Takes the next complete reply out of what was fed.
    Status next(FtpReply& reply);

    bool hasError() const { return failed_; }
    QString errorString() const { return error_; }
    // Bytes fed but not yet part of a returned reply (the skipped tail of an
    // over-long line excepted).
    qsizetype pendingBytes() const { return buffer_.size() - consumed_; }
    void reset();

private:
    Status fail(const QString& why);
    Status takeLine(const char* line, qsizetype length, FtpReply& reply);
    void keep(const char* line, qsizetype length);

    qsizetype maxReplySize_;
    QByteArray buffer_;
    qsizetype consumed_ = 0;
    qsizetype scanned_ = 0; // bytes after consumed_ known to hold no line end
    int code_ = 0;          // of the reply being assembled; 0 between replies
    QByteArray text_;
    bool truncated_ = false;
    // The start of an over-long line whose rest is skipped up to its end.
    QByteArray lineHead_;
    bool skippingLine_ = false;
    bool failed_ = false;
    QString error_;
};
