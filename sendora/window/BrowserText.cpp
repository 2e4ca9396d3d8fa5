#include "sendora/window/BrowserText.h"

#include "platform/text/LegacyText.h"

#include <QDir>
#include <algorithm>

namespace {

const QDate kZeroDate(1899, 12, 30);

bool isLocalSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
    return c == QLatin1Char('/');
#endif
}

} // namespace

namespace BrowserText {

QString AttrText(quint32 attributes)
{
    QString text;
    text += (attributes & 0x20) ? QLatin1Char('a') : QLatin1Char('-');
    text += (attributes & 0x4) ? QLatin1Char('s') : QLatin1Char('-');
    text += (attributes & 0x2) ? QLatin1Char('h') : QLatin1Char('-');
    text += (attributes & 0x1) ? QLatin1Char('r') : QLatin1Char('w');
    return text;
}

QString ReverseText(const QString& text)
{
    QString reversed = text;
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

QString ParentPath(const QString& path)
{
    const qsizetype lastSlash = path.lastIndexOf(QLatin1Char('/'));
    if (lastSlash < 0)
        return path;
    const QString parent = path.left(lastSlash);
    return parent.isEmpty() ? QStringLiteral("/") : parent;
}

QString AddSlash(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString GetFileName(const QString& localPath)
{
    for (qsizetype i = localPath.size() - 1; i >= 0; --i) {
        if (isLocalSeparator(localPath.at(i)))
            return localPath.mid(i + 1);
    }
    return localPath;
}

QString withTrailingSeparator(const QString& folder)
{
    if (!folder.isEmpty() && isLocalSeparator(folder.back()))
        return folder;
    return folder + QDir::separator();
}

QString DateText(const QDateTime& value)
{
    if (!value.isValid())
        return QStringLiteral("0:00:00");
    const QString time = value.time().toString(QStringLiteral("H:mm:ss"));
    if (value.date() == kZeroDate)
        return time;
    const QString date = value.date().toString(QStringLiteral("yyyy/MM/dd"));
    if (value.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + time;
}

QString NewFolderName(const QStringList& existingNames)
{
    const QString base = QStringLiteral("新しいフォルダ");
    QString candidate = base;
    for (int n = 1; existingNames.contains(candidate, Qt::CaseSensitive); ++n)
        candidate = base + QLatin1Char('(') + QString::number(n) + QLatin1Char(')');
    return candidate;
}

QString ReplyLineToShow(const QString& reply)
{
    const QString crlf = QStringLiteral("\r\n");
    const qsizetype lastEnd = reply.lastIndexOf(crlf);
    if (lastEnd < 0)
        return reply;
    if (lastEnd == 0)
        return QString();
    const qsizetype lineStart = reply.lastIndexOf(crlf, lastEnd - 1);
    const qsizetype from = lineStart < 0 ? 0 : lineStart + crlf.size();
    return reply.mid(from, lastEnd - from);
}

bool IsSafeLocalName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

} // namespace BrowserText
