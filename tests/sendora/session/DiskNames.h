#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Files in a server's root addressed by the raw bytes of their names, so a test
// can lay out and inspect names in CP932 exactly as a legacy server stores them
// (such names do not survive a trip through QString and QFile).
namespace DiskNames {

bool writeFile(const QString& folder, const QByteArray& name, const QByteArray& content);
std::optional<QByteArray> readFile(const QString& folder, const QByteArray& name);
bool exists(const QString& folder, const QByteArray& name);
bool makeDir(const QString& folder, const QByteArray& name);
bool setModified(const QString& folder, const QByteArray& name, const QDateTime& utc);
bool setMode(const QString& folder, const QByteArray& name, unsigned mode);
// A sparse file of the given size: large sizes without the disk space.
bool makeSparse(const QString& folder, const QByteArray& name, qint64 size);
// Removes everything below the folder (not the folder itself), whatever its
// names' encoding: QTemporaryDir cannot remove names that are not UTF-8.
void removeContents(const QString& folder);
// The names in a folder, "." and ".." left out.
QList<QByteArray> list(const QString& folder, const QByteArray& subfolder = {});

} // namespace DiskNames
