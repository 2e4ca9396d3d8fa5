#include "platform/lha/command/FileMetadata.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>

namespace {

// The process umask. Linux shows it in /proc without changing it; elsewhere
// it can only be read by setting it, so that is done once, under a lock.
mode_t processUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    static std::mutex guard;
    const std::lock_guard lock(guard);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace
#endif

namespace FileMetadata {

void apply(const QString& path, const MemberHeader& header)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (header.modified.isValid()) {
        timespec times[2];
        times[0].tv_sec = time_t(header.modified.toSecsSinceEpoch());
        times[0].tv_nsec = 0;
        times[1] = times[0];
        ::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    if (header.unixMode)
        ::chmod(native.constData(), mode_t((*header.unixMode & 0777 & ~processUmask()) | 0400));
#else
    if (header.modified.isValid()) {
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(header.modified, QFileDevice::FileModificationTime);
    }
#endif
}

quint16 unixModeOf(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return quint16(st.st_mode & 0777);
#endif
    return QFileInfo(path).isExecutable() ? 0755 : 0644;
}

} // namespace FileMetadata
