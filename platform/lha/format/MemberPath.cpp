#include "platform/lha/format/MemberPath.h"

#include "platform/text/LegacyText.h"

#include <QStringDecoder>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isLeadByte(quint8 c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(quint8 c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
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

    // Archives made from an absolute path extract below the destination, as
    // other LHA tools do: a leading drive goes, and so do leading separators
    // with the other empty parts below.
    QStringView relative(joined);
    if (relative.size() >= 2 && relative[1] == QLatin1Char(':') && isAsciiLetter(relative[0]))
        relative = relative.sliced(2);
    const QList<QStringView> components = relative.split(QLatin1Char('/'));
    QStringList parts;
    for (QStringView part : components) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part.contains(QLatin1Char(':'))) {
            path.refusal_ = QStringLiteral("drive or stream name");
            return path;
        }
        if (withoutTrailingDotsAndBlanks(part.toString()).isEmpty()) {
            path.refusal_ = QStringLiteral("parent folder name");
            return path;
        }
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
                path.refusal_ = QStringLiteral("control character in name");
                return path;
            }
        }
        parts.append(part.toString());
    }
    if (parts.isEmpty()) {
        path.refusal_ = QStringLiteral("empty name");
        path.empty_ = true;
        return path;
    }
    path.parts_ = parts;
    return path;
}

QList<QByteArray> MemberPath::splitStored(const QByteArray& nameCp932)
{
    QList<QByteArray> parts;
    QByteArray current;
    for (qsizetype i = 0; i < nameCp932.size(); ++i) {
        const quint8 c = quint8(nameCp932[i]);
        if (isLeadByte(c) && i + 1 < nameCp932.size() && isTrailByte(quint8(nameCp932[i + 1]))) {
            current.append(nameCp932[i]);
            current.append(nameCp932[++i]);
        } else if (c == '/' || c == '\\') {
            if (!current.isEmpty() && current != ".")
                parts.append(current);
            current.clear();
        } else {
            current.append(char(c));
        }
    }
    if (!current.isEmpty() && current != ".")
        parts.append(current);
    return parts;
}

std::optional<MemberPath::Stored> MemberPath::forStoring(const QByteArray& nameCp932, bool isDirectory,
                                                         QString* error)
{
    auto refused = [&](const QString& message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QList<QByteArray> parts = splitStored(nameCp932);
    if (parts.isEmpty())
        return refused(QStringLiteral("empty member name"));
    if (parts.contains("..") || nameCp932.contains('\0'))
        return refused(QStringLiteral("member name leaves the archive's folder or holds a NUL byte"));
    Stored stored;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        stored.rawPath += parts[i];
        if (i + 1 < parts.size() || isDirectory)
            stored.rawPath += char(0xFF);
    }
    if (!isDirectory)
        stored.fileName = parts.last();
    return stored;
}
