#pragma once

#include <QByteArrayView>

namespace FtpListing {

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads blank-separated fields of one listing line from left to right and
// remembers where the last one ended, so that the caller can take the rest
// of the line verbatim: names may begin with or hold blanks.
class FieldReader
{
public:
    struct Field
    {
        QByteArrayView text; // empty at the end of the line
        qsizetype end = 0;   // offset just past the field
    };

    explicit FieldReader(QByteArrayView line) : line_(line) {}

    // Inline: every field of every line of a listing passes through here.
    Field next()
    {
        const char* const data = line_.data();
        const char* const end = data + line_.size();
        const char* at = data + pos_;
        while (at != end && isBlank(*at))
            ++at;
        const char* const start = at;
        // Letters and digits are above the blank: one comparison for most bytes.
        while (at != end && (static_cast<unsigned char>(*at) > ' ' || !isBlank(*at)))
            ++at;
        pos_ = at - data;
        return {QByteArrayView(start, at - start), pos_};
    }

    // Everything after the field that ended at fieldEnd, without the one blank
    // that separates it from the field (further blanks belong to the rest).
    QByteArrayView restAfter(qsizetype fieldEnd) const;

private:
    QByteArrayView line_;
    qsizetype pos_ = 0;
};

} // namespace FtpListing
