#include "tests/sendora/session/DiskNames.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DiskNames {

namespace {

QByteArray pathOf(const QString& folder, const QByteArray& name)
{
    QByteArray path = QFile::encodeName(folder);
    if (!name.isEmpty()) {
        path += '/' + name;
    }
    return path;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW* position)
{
    if (position->level > 0) {
        ::remove(path);
    }
    return 0;
}

} // namespace

bool writeFile(const QString& folder, const QByteArray& name, const QByteArray& content)
{
    const int fd = ::open(pathOf(folder, name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += n;
    }
    return ::close(fd) == 0;
}

std::optional<QByteArray> readFile(const QString& folder, const QByteArray& name)
{
    const int fd = ::open(pathOf(folder, name).constData(), O_RDONLY);
    if (fd < 0) {
        return std::nullopt;
    }
    QByteArray content;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        content.append(buffer, n);
    }
    ::close(fd);
    if (n < 0) {
        return std::nullopt;
    }
    return content;
}

bool exists(const QString& folder, const QByteArray& name)
{
    struct stat st
    {
    };
    return ::lstat(pathOf(folder, name).constData(), &st) == 0;
}

bool makeDir(const QString& folder, const QByteArray& name)
{
    return ::mkdir(pathOf(folder, name).constData(), 0755) == 0;
}

bool setModified(const QString& folder, const QByteArray& name, const QDateTime& utc)
{
    const timespec when{static_cast<time_t>(utc.toSecsSinceEpoch()), 0};
    const timespec times[2] = {when, when};
    return ::utimensat(AT_FDCWD, pathOf(folder, name).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool setMode(const QString& folder, const QByteArray& name, unsigned mode)
{
    return ::chmod(pathOf(folder, name).constData(), static_cast<mode_t>(mode)) == 0;
}

bool makeSparse(const QString& folder, const QByteArray& name, qint64 size)
{
    const int fd = ::open(pathOf(folder, name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    return ::close(fd) == 0 && sized;
}

void removeContents(const QString& folder)
{
    ::nftw(QFile::encodeName(folder).constData(), removeEntry, 32, FTW_DEPTH | FTW_PHYS);
}

QList<QByteArray> list(const QString& folder, const QByteArray& subfolder)
{
    QList<QByteArray> names;
    DIR* dir = ::opendir(pathOf(folder, subfolder).constData());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names << name;
        }
    }
    ::closedir(dir);
    return names;
}

} // namespace DiskNames
