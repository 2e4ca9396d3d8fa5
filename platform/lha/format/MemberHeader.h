#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>
#include <optional>

// One member of an archive as its header describes it. Names stay as the
// header's bytes (CP932); MemberPath turns them into safe local names.
struct MemberHeader
{
    qint64 headerOffset = 0;
    qint64 headerSize = 0; // including every extended header
    quint64 packedSize = 0;
    quint64 originalSize = 0;
    QByteArray method; // five characters, e.g. "-lh5-"
    int level = 0;
    quint8 osType = 0;
    quint16 crc = 0;
    // Folder names and the file name, the folders ended by 0xFF (a byte that
    // CP932 never uses, so splitting on it cannot cut a character in two).
    QByteArray rawPath;
    // The file name field alone, as stored (MacBinary headers repeat it).
    QByteArray fileName;
    QDateTime modified; // invalid when the header holds no usable time
    std::optional<quint16> unixMode;
    quint8 dosAttribute = 0x20;

    qint64 dataOffset() const { return headerOffset + headerSize; }
    qint64 endOffset() const { return dataOffset() + qint64(packedSize); }
    bool isDirectory() const { return method == "-lhd-"; }
    bool isSymlink() const;
};
