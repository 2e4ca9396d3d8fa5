#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// Builds archives byte by byte, stored (-lh0-) members with whatever names,
// sizes and modes a test needs, so that hostile archives can be made that no
// archiver would write.
class HandMadeArchive
{
public:
    struct Member
    {
        QByteArray rawName;   // level 0: the name field; level 2: the file name ext
        QByteArray rawFolder; // level 2 only: folder ext (0xFF between folders)
        QByteArray data;
        QByteArray method = "-lh0-";
        int level = 2;
        std::optional<quint16> unixMode;
        std::optional<quint32> declaredOriginal; // overrides the real size
        std::optional<quint32> declaredPacked;
    };

    HandMadeArchive& add(const Member& member);
    HandMadeArchive& addFile(const QByteArray& rawName, const QByteArray& data, int level = 2);
    QByteArray bytes(bool endMark = true) const;
    // Offset of the first data byte of member `index`.
    qsizetype dataOffset(int index) const;

private:
    static QByteArray header(const Member& m);
    QList<Member> members_;
};
