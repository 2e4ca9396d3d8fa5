#include "sendora/submission/PassDataFile.h"

#include "platform/text/LegacyText.h"
#include "platform/shell/OwnerOnly.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Also refuses line breaks: they would add lines that the next start-up
// reads into the wrong box.
std::optional<QByteArray> encodeLine(const QString& text)
{
    if (text.contains(u'\r') || text.contains(u'\n'))
        return std::nullopt;
    auto bytes = LegacyText::encode(text);
    if (!bytes)
        return std::nullopt;
    bytes->append("\r\n");
    return bytes;
}

} // namespace

QByteArray PassDataFile::encode(const QString& first, const QString& second, bool* ok)
{
    const auto line1 = encodeLine(first);
    const auto line2 = encodeLine(second);
    if (ok)
        *ok = line1 && line2;
    if (!line1 || !line2)
        return {};
    return *line1 + *line2;
}

PassDataFile::WriteResult PassDataFile::write(const QString& path, const QString& first,
                                              const QString& second)
{
    bool ok = false;
    const QByteArray bytes = encode(first, second, &ok);
    if (!ok)
        return WriteResult::Unrepresentable;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return WriteResult::WriteFailed;
    // The pass texts are for the user's eyes only, also when an older file was not.
    file.setPermissions(OwnerOnly::kFile);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return WriteResult::WriteFailed;
    }
    return file.commit() ? WriteResult::Written : WriteResult::WriteFailed;
}

QStringList PassDataFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

QStringList PassDataFile::parse(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(LegacyText::decode(bytes.mid(start, i - start)));
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(LegacyText::decode(bytes.mid(start)));
    return lines;
}
