#include "platform/shell/LegacyText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char* kCodePage = "CP932";
}

namespace LegacyText {

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
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
