#include "platform/lha/command/OutputText.h"

#include "platform/lha/command/PrintableText.h"

#include <cstring>

void OutputText::line(const QString& text)
{
    bytes_ += PrintableText::escaped(text).toLocal8Bit();
    bytes_ += '\n';
}

void OutputText::copyTo(char* out, unsigned long size) const
{
    if (!out || size == 0)
        return;
    qsizetype n = qMin<qsizetype>(bytes_.size(), qsizetype(qMin<unsigned long>(size - 1, 0x7fffffffUL)));
    // Do not leave half a UTF-8 sequence at the cut.
    if (n < bytes_.size()) {
        while (n > 0 && (quint8(bytes_[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(out, bytes_.constData(), size_t(n));
    out[n] = '\0';
}
