#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>
#include <optional>

// Operating systems as member headers name them.
namespace OsType {
constexpr quint8 kUnix = 'U';
constexpr quint8 kOs9On68k = 'K';
constexpr quint8 kMac = 'm';
} // namespace OsType

// File type bits of the Unix mode that headers carry.
namespace UnixFileType {
constexpr quint16 kMask = 0170000;
constexpr quint16 kRegular = 0100000;
constexpr quint16 kDirectory = 0040000;
constexpr quint16 kSymlink = 0120000;
} // namespace UnixFileType

// One member of an archive as its header describes it: what LhaHeader reads
// from an archive and what it writes into one. Names stay as the header's
// bytes (CP932); MemberPath turns them into safe local names and makes the
// names of new members.
struct MemberHeader
{
    static constexpr char kDirectoryMethod[] = "-lhd-";
    static constexpr quint8 kArchiveAttribute = 0x20;
    static constexpr quint8 kDirectoryAttribute = 0x10;

    // Where the header was read; writing ignores both.
    qint64 headerOffset = 0;
    qint64 headerSize = 0;  // including every extended header
    quint64 packedSize = 0; // the member's data alone
    quint64 originalSize = 0;
    QByteArray method; // five characters, e.g. "-lh5-"
    int level = 0;     // 0, 1 or 2; level 3 is only read
    quint8 osType = 0;
    quint16 crc = 0;
    // Folder names and the file name, the folders ended by 0xFF (a byte that
    // CP932 never uses, so splitting on it cannot cut a character in two).
    // Levels 0 and 1 may also hold '\' or '/' between the folders of their
    // name field; names written here always use 0xFF.
    QByteArray rawPath;
    // The file name field alone, as stored (MacBinary headers repeat it):
    // the end of rawPath, empty for a folder.
    QByteArray fileName;
    // Invalid when the header holds no usable time; such a header is
    // written with the current time.
    QDateTime modified;
    std::optional<quint16> unixMode; // file type and permission bits
    quint8 dosAttribute = kArchiveAttribute;

    qint64 dataOffset() const { return headerOffset + headerSize; }
    qint64 endOffset() const { return dataOffset() + qint64(packedSize); }
    bool isDirectory() const { return method == kDirectoryMethod; }
    bool isSymlink() const;
};
