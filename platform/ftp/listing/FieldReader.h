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

    // Everything after the field that ended at fieldEnd, without the one blank
    // that separates it from the field (further blanks belong to the rest).
    QByteArrayView restAfter(qsizetype fieldEnd) const;

private:
    QByteArrayView line_;
    qsizetype pos_ = 0;
};

} // namespace FtpListing
