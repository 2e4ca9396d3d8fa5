#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// LHA archives for the update tests, made by our archiver library. Members are
// stored uncompressed, so an archive can be made to measure: the progress
// cases need exact body sizes.
namespace TestArchive {

using Member = QPair<QString, QByteArray>;

// The archive's bytes; empty when it could not be made.
QByteArray make(const QList<Member>& members);
// An archive of exactly size bytes holding members and a filler member.
QByteArray ofSize(qint64 size, const QList<Member>& members);

} // namespace TestArchive
