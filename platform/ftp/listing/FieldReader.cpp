#include "platform/ftp/listing/FieldReader.h"

namespace FtpListing {

QByteArrayView FieldReader::restAfter(qsizetype fieldEnd) const
{
    if (fieldEnd >= line_.size())
        return {};
    return line_.sliced(fieldEnd + 1);
}

} // namespace FtpListing
