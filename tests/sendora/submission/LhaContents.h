#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// An LHA archive as read by liblhasa, independently of our archiver: member
// names (decoded from CP932) mapped to their contents.
struct LhaContents
{
    bool ok = false; // the archive opened and was read to its end
    QMap<QString, QByteArray> members;
    QString error;

    static LhaContents read(const QString& archivePath);
};
