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

FtpReplyReader::FtpReplyReader(qsizetype maxReplySize) : maxReplySize_(maxReplySize) {}

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
    code_ = 0;
    text_.clear();
    failed_ = false;
    error_.clear();
}

FtpReplyReader::Status FtpReplyReader::fail(const QString& why)
{
    failed_ = true;
    error_ = why;
    buffer_.clear();
    consumed_ = 0;
    text_.clear();
    return Status::Error;
}

FtpReplyReader::Status FtpReplyReader::next(FtpReply& reply)
{
    if (failed_)
        return Status::Error;
    while (consumed_ < buffer_.size()) {
        const char* start = buffer_.constData() + consumed_;
        const qsizetype available = buffer_.size() - consumed_;
        const char* newline = static_cast<const char*>(memchr(start, '\n', size_t(available)));
        if (!newline) {
            if (text_.size() + available > maxReplySize_)
                return fail(QStringLiteral("The server's reply is too long."));
            break;
        }
        qsizetype length = newline - start;
        consumed_ += length + 1;
        if (length > 0 && start[length - 1] == '\r')
            --length;
        const Status status = takeLine(start, length, reply);
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

FtpReplyReader::Status FtpReplyReader::takeLine(const char* line, qsizetype length, FtpReply& reply)
{
    if (text_.size() + length + 2 > maxReplySize_)
        return fail(QStringLiteral("The server's reply is too long."));
    const int code = leadingCode(line, length);
    const char separator = length > 3 ? line[3] : ' ';
    if (code_ == 0) {
        if (code < 100 || code > 599 || (separator != ' ' && separator != '-'))
            return fail(QStringLiteral("The server sent something that is not an FTP reply."));
        text_.append(line, length).append("\r\n");
        if (separator == '-') {
            code_ = code;
            return Status::NeedMore;
        }
        reply.code = code;
        reply.text = std::move(text_);
        text_ = QByteArray();
        return Status::Ready;
    }
    text_.append(line, length).append("\r\n");
    if (code != code_ || separator != ' ')
        return Status::NeedMore;
    reply.code = code_;
    reply.text = std::move(text_);
    text_ = QByteArray();
    code_ = 0;
    return Status::Ready;
}
