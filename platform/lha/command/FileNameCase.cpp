#include "platform/lha/command/FileNameCase.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString withOtherCase(const QString& name)
{
    QString out = name;
    for (QChar& c : out)
        c = c.isLower() ? c.toUpper() : c.toLower();
    return out;
}

} // namespace

namespace FileNameCase {

bool isIgnoredAt(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString other = withOtherCase(name);
    if (other == name)
        return false; // no letters: the question does not arise for this name
    return isSameFile(path, info.dir().filePath(other));
}

bool isSameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return std::filesystem::equivalent(nativePath(a), nativePath(b), error) && !error;
}

} // namespace FileNameCase
