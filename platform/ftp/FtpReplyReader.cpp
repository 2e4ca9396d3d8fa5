#include "platform/ftp/FtpReplyReader.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The code at the start of a line, or 0 when the line does not start with three digits.
int leadingCode(const char* line, qsizetype length)
{
    if (length < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

} // namespace

FtpReplyReader::FtpReplyReader(qsizetype maxReplySize) : maxReplySize_(qMax<qsizetype>(maxReplySize, 8)) {}

void FtpReplyReader::feed(const char* data, qsizetype size)
{
    if (failed_ || size <= 0)
        return;
    if (consumed_ > 0 && consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    }
    buffer_.append(data, size);
}

void FtpReplyReader::reset()
{
    buffer_.clear();
    consumed_ = 0;
    scanned_ = 0;
    code_ = 0;
    text_.clear();
    truncated_ = false;
    lineHead_.clear();
    skippingLine_ = false;
    failed_ = false;
    error_.clear();
}

FtpReplyReader::Status FtpReplyReader::fail(const QString& why)
{
    failed_ = true;
    error_ = why;
    buffer_.clear();
    consumed_ = 0;
    scanned_ = 0;
    text_.clear();
    lineHead_.clear();
    return Status::Error;
}

FtpReplyReader::Status FtpReplyReader::next(FtpReply& reply)
{
    if (failed_)
        return Status::Error;
    while (consumed_ < buffer_.size()) {
        const char* start = buffer_.constData() + consumed_;
        const qsizetype available = buffer_.size() - consumed_;
        // Bytes already searched are not searched again (a line dribbled in byte by byte).
        const char* newline =
            static_cast<const char*>(memchr(start + scanned_, '\n', size_t(available - scanned_)));
        if (!newline) {
            scanned_ = available;
            if (skippingLine_) {
                consumed_ = buffer_.size();
            } else if (available > maxReplySize_) {
                // An over-long line: its start decides what it is, the rest is dropped.
                lineHead_ = QByteArray(start, maxReplySize_);
                skippingLine_ = true;
                consumed_ = buffer_.size();
            }
            if (consumed_ == buffer_.size())
                scanned_ = 0;
            break;
        }
        scanned_ = 0;
        qsizetype length = newline - start;
        consumed_ += length + 1;
        Status status;
        if (skippingLine_) {
            skippingLine_ = false;
            status = takeLine(lineHead_.constData(), lineHead_.size(), reply);
            lineHead_.clear();
        } else {
            if (length > 0 && start[length - 1] == '\r')
                --length;
            status = takeLine(start, length, reply);
        }
        if (status != Status::NeedMore) {
            if (consumed_ == buffer_.size()) {
                buffer_.clear();
                consumed_ = 0;
            }
            return status;
        }
    }
    if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
        buffer_.remove(0, consumed_);
        consumed_ = 0;
    }
    return Status::NeedMore;
}

void FtpReplyReader::keep(const char* line, qsizetype length)
{
    if (truncated_)
        return;
    const qsizetype room = maxReplySize_ - text_.size() - 2;
    if (length <= room) {
        text_.append(line, length).append("\r\n");
        return;
    }
    // Keep what fits; the reply still ends with a line end.
    if (room > 0)
        text_.append(line, room).append("\r\n");
    truncated_ = true;
}

FtpReplyReader::Status FtpReplyReader::takeLine(const char* line, qsizetype length, FtpReply& reply)
{
    const int code = leadingCode(line, length);
    const char separator = length > 3 ? line[3] : ' ';
    if (code_ == 0) {
        if (code < 100 || code > 599 || (separator != ' ' && separator != '-'))
            return fail(QStringLiteral("The server sent something that is not an FTP reply."));
        keep(line, length);
        if (separator == '-') {
            code_ = code;
            return Status::NeedMore;
        }
    } else {
        keep(line, length);
        if (code != code_ || separator != ' ')
            return Status::NeedMore;
    }
    reply.code = code;
    reply.text = std::move(text_);
    reply.truncated = truncated_;
    text_ = QByteArray();
    truncated_ = false;
    code_ = 0;
    return Status::Ready;
}
