#include "platform/text/LegacyText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char* kCodePage = "CP932";

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when the bytes end in the first half of a double-byte character.
bool endsInsideCharacter(const QByteArray& bytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const bool lead = isLeadByte(static_cast<unsigned char>(bytes[i]));
        if (lead && i + 1 == bytes.size())
            return true;
        i += lead ? 2 : 1;
    }
    return false;
}
} // namespace

namespace LegacyText {

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    QString text = decoder.decode(bytes);
    // The converter drops a character cut in half at the end without a trace;
    // a name or line cut short still shows that something was there.
    if (endsInsideCharacter(bytes))
        text += QChar::ReplacementCharacter;
    return text;
}

std::optional<QString> decodeStrict(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encode(const QString& text)
{
    QStringEncoder encoder(kCodePage);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

QByteArray encodeLossy(const QString& text)
{
    QByteArray out;
    // Character by character, so that one unmappable character does not
    // poison the rest.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size();
        const QString piece = text.mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
        const auto bytes = encode(piece);
        out.append(bytes ? *bytes : QByteArray("?"));
    }
    return out;
}

} // namespace LegacyText
