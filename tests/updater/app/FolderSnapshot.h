#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Every entry of a folder, hidden ones included, with its bytes; sub-folders
// as "<dir>". Two snapshots compare equal when nothing in the folder changed.
namespace FolderSnapshot {

QMap<QString, QByteArray> of(const QString& folder);

} // namespace FolderSnapshot
