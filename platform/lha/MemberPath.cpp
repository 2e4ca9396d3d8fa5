#include "platform/lha/MemberPath.h"

#include "platform/shell/LegacyText.h"

#include <QStringDecoder>

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QString withoutTrailingDotsAndBlanks(QString s)
{
    while (!s.isEmpty() && (s.back() == QLatin1Char('.') || s.back() == QLatin1Char(' ')))
        s.chop(1);
    return s;
}

} // namespace

QString MemberPath::decodeName(const QByteArray& bytes)
{
    if (auto text = LegacyText::decodeStrict(bytes))
        return *text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return LegacyText::decode(bytes);
}

MemberPath MemberPath::fromRaw(const QByteArray& rawPath)
{
    MemberPath path;
    QString joined;
    const QList<QByteArray> segments = rawPath.split(char(0xFF));
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0)
            joined += QLatin1Char('/');
        joined += decodeName(segments[i]);
    }
    for (QChar& c : joined) {
        if (c == QLatin1Char('\\'))
            c = QLatin1Char('/');
    }
    path.display_ = joined;

    if (joined.isEmpty()) {
        path.refusal_ = QStringLiteral("empty name");
        return path;
    }
    if (isSeparator(joined.front())) {
        path.refusal_ = QStringLiteral("absolute name");
        return path;
    }
    const QStringList components = joined.split(QLatin1Char('/'));
    QStringList parts;
    for (const QString& part : components) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part.contains(QLatin1Char(':'))) {
            path.refusal_ = QStringLiteral("drive or stream name");
            return path;
        }
        if (withoutTrailingDotsAndBlanks(part).isEmpty()) {
            path.refusal_ = QStringLiteral("parent folder name");
            return path;
        }
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
                path.refusal_ = QStringLiteral("control character in name");
                return path;
            }
        }
        parts.append(part);
    }
    if (parts.isEmpty()) {
        path.refusal_ = QStringLiteral("empty name");
        return path;
    }
    path.parts_ = parts;
    return path;
}
