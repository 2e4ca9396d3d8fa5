#include "tests/updater/app/FolderSnapshot.h"

#include <QDir>
#include <QFile>

namespace FolderSnapshot {

QMap<QString, QByteArray> of(const QString& folder)
{
    QMap<QString, QByteArray> all;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        all.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<dir>"));
    }
    return all;
}

} // namespace FolderSnapshot
