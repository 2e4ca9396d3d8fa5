#pragma once

#include <QByteArray>
#include <QList>

// What liblhasa, an independent decoder, reads back from an archive: every member with its decoded data.
struct LhasaMember
{
    QByteArray path; // directory part and file name as liblhasa joins them ('/' separators, raw name bytes)
    QByteArray method;
    int headerLevel = 0;
    quint64 length = 0;
    quint64 compressedLength = 0;
    quint16 crc = 0;
    unsigned timestamp = 0;
    bool hasUnixPerms = false;
    unsigned unixPerms = 0;
    QByteArray data;
    bool crcMatches = false;
};

struct LhasaArchive
{
    QList<LhasaMember> members;
    bool reachedEnd = false; // the end marker was read, not a header liblhasa could not parse
};

// Decodes the whole archive held in `bytes`. Data is checked against each header's CRC.
LhasaArchive readWithLhasa(const QByteArray& bytes);
// Decodes a big archive member by member from a file, keeping only lengths and CRC results (no data).
LhasaArchive checkFileWithLhasa(const QString& path);
