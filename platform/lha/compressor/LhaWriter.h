#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class QIODevice;

// Compression methods the writer produces. Lh0 stores; the others are the static-Huffman LZSS methods with
// 8 KiB, 32 KiB and 64 KiB windows.
enum class LhaMethod
{
    Lh0,
    Lh5,
    Lh6,
    Lh7,
};

// What a caller says about a member to add; the writer makes the member's
// MemberHeader from it and from what compression decides.
struct LhaMemberInfo
{
    // Path inside the archive in CP932, with '/' or '\' between folders. Directory members may end in a
    // separator.
    QByteArray nameCp932;
    QDateTime modified;
    // Unix permission bits (0 to 07777); the file-type bits are added by the writer.
    quint16 unixMode = 0;
    bool hasUnixMode = false;
    bool isDirectory = false;
};

// One member of a batch: a local file (or a directory member) and its header.
struct LhaMemberSource
{
    QString localPath; // read for files; ignored for directories
    LhaMemberInfo info;
};

struct LhaWriteOptions
{
    LhaMethod method = LhaMethod::Lh5;
    int headerLevel = 2; // 0, 1 or 2
    int threads = 0;     // workers for writeMembers; 0 = one per core
};

// Writes LHA archive members: header and data, one after the other, to an output device.
// Members whose compressed form would not be smaller than the original are stored as -lh0-; directories
// become -lhd- members. Memory use does not grow with the size of a member.
namespace LhaWriter {

// Compresses `size` bytes read from `in` and appends the member to `out`. Fails with a message when reading
// or writing fails, when `in` does not hold exactly `size` bytes (the file changed meanwhile), or when the
// name is empty, holds a ".." part or does not fit the header level. Nothing is written when the name or
// the input is refused; after a write failure `out` holds a partial member and must be discarded.
bool writeMember(QIODevice& in, qint64 size, const LhaMemberInfo& info, const LhaWriteOptions& options,
                 QIODevice& out, QString* error);

// Appends a directory member (-lhd-).
bool writeDirectory(const LhaMemberInfo& info, const LhaWriteOptions& options, QIODevice& out,
                    QString* error);

// Compresses the members on several threads and appends them to `out` in list order. `written` is called on
// the calling thread after each member has been appended, with its index. Stops at the first failure.
bool writeMembers(const QList<LhaMemberSource>& members, const LhaWriteOptions& options, QIODevice& out,
                  QString* error, const std::function<void(qsizetype)>& written = {});

// Appends the byte that ends an archive.
bool writeEndOfArchive(QIODevice& out, QString* error);

} // namespace LhaWriter
