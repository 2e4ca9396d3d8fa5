#include "platform/inet/PageText.h"

#include "platform/text/LegacyText.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

// A <meta> declaration has to sit in the head; browsers look this far.
constexpr qsizetype kMetaScanBytes = 4096;

QString charsetAfter(const QByteArray& text, qsizetype at)
{
    qsizetype i = at;
    while (i < text.size() &&
           (text.at(i) == ' ' || text.at(i) == '=' || text.at(i) == '"' || text.at(i) == '\''))
        ++i;
    qsizetype end = i;
    while (end < text.size()) {
        const char c = text.at(end);
        const bool nameChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                              c == '-' || c == '_' || c == '.' || c == ':';
        if (!nameChar)
            break;
        ++end;
    }
    return QString::fromLatin1(text.mid(i, end - i)).toLower();
}

bool isLegacyName(const QString& name)
{
    static const QStringList names = {"shift_jis", "shift-jis", "sjis",     "x-sjis",    "windows-31j",
                                      "cp932",     "ms932",     "ms_kanji", "csshiftjis"};
    return names.contains(name);
}

} // namespace

namespace PageText {

QString charsetFromContentType(const QByteArray& contentType)
{
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset");
    if (at < 0)
        return {};
    qsizetype i = at + 7;
    while (i < lower.size() && lower.at(i) == ' ')
        ++i;
    if (i >= lower.size() || lower.at(i) != '=')
        return {};
    return charsetAfter(lower, i);
}

QString charsetFromMeta(const QByteArray& page)
{
    const QByteArray head = page.left(kMetaScanBytes).toLower();
    qsizetype from = 0;
    while (true) {
        const qsizetype meta = head.indexOf("<meta", from);
        if (meta < 0)
            return {};
        const qsizetype close = head.indexOf('>', meta);
        const QByteArray element = head.mid(meta, close < 0 ? -1 : close - meta);
        const qsizetype at = element.indexOf("charset");
        if (at >= 0) {
            const QString name = charsetAfter(element, at + 7);
            if (!name.isEmpty())
                return name;
        }
        if (close < 0)
            return {};
        from = close;
    }
}

QString decode(const QByteArray& page, const QByteArray& contentType)
{
    if (page.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(page.mid(3));
    QString charset = charsetFromContentType(contentType);
    if (charset.isEmpty())
        charset = charsetFromMeta(page);
    if (charset.isEmpty() || isLegacyName(charset))
        return LegacyText::decode(page);
    if (charset == QLatin1String("utf-8") || charset == QLatin1String("utf8"))
        return QString::fromUtf8(page);
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        return LegacyText::decode(page);
    return decoder.decode(page);
}

} // namespace PageText
