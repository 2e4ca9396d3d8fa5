#include "platform/ftp/listing/FieldReader.h"

namespace FtpListing {

FieldReader::Field FieldReader::next()
{
    const char* const data = line_.data();
    const qsizetype size = line_.size();
    qsizetype pos = pos_;
    while (pos < size && isBlank(data[pos]))
        ++pos;
    const qsizetype start = pos;
    while (pos < size && !isBlank(data[pos]))
        ++pos;
    pos_ = pos;
    return {QByteArrayView(data + start, pos - start), pos};
}

QByteArrayView FieldReader::restAfter(qsizetype fieldEnd) const
{
    if (fieldEnd >= line_.size())
        return {};
    return line_.sliced(fieldEnd + 1);
}

} // namespace FtpListing
