#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <optional>

// Builds archives byte by byte, with whatever names, sizes, modes, header
// levels and extended headers a test needs, so that hostile archives and the
// headers of other LHA programs can be made that no archiver here writes.
class HandMadeArchive
{
public:
    struct Member
    {
        QByteArray rawName;               // level 0 and 1: the name field; level 2: the file name ext
        QByteArray rawFolder;             // levels 1 and 2: folder ext (0xFF between folders)
        QByteArray data;                  // what the member holds once decoded
        std::optional<QByteArray> packed; // the stored bytes when not -lh0-
        QByteArray method = "-lh0-";
        int level = 2;
        char osType = 'U'; // 'K' (OS-9/68k) also writes its short level-2 size
        std::optional<quint16> unixMode;
        QList<QPair<char, QByteArray>> extensions; // further extended headers
        std::optional<quint32> declaredOriginal;   // overrides the real size
        std::optional<quint32> declaredPacked;
        quint32 unixTime = 1234958400; // 2009-02-18 12:00 UTC, also the DOS time's day
    };

    HandMadeArchive& add(const Member& member);
    HandMadeArchive& addFile(const QByteArray& rawName, const QByteArray& data, int level = 2);
    QByteArray bytes(bool endMark = true) const;
    // Offset of the first data byte of member `index`.
    qsizetype dataOffset(int index) const;

private:
    static QByteArray header(const Member& m);
    static QByteArray stored(const Member& m) { return m.packed.value_or(m.data); }
    QList<Member> members_;
};
