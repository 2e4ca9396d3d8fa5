#include "platform/ftp/listing/FieldReader.h"

namespace FtpListing {

FieldReader::Field FieldReader::next()
{
    while (pos_ < line_.size() && isBlank(line_[pos_]))
        ++pos_;
    const qsizetype start = pos_;
    while (pos_ < line_.size() && !isBlank(line_[pos_]))
        ++pos_;
    return {line_.sliced(start, pos_ - start), pos_};
}

QByteArrayView FieldReader::restAfter(qsizetype fieldEnd) const
{
    if (fieldEnd >= line_.size())
        return {};
    return line_.sliced(fieldEnd + 1);
}

} // namespace FtpListing
