#include "tests/platform/lha/support/HandMadeArchive.h"

#include "platform/lha/format/Crc16.h"

namespace {

void put16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

void put32(QByteArray& b, quint32 v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

constexpr quint32 kDosTime = (quint32(2009 - 1980) << 25) | (2u << 21) | (18u << 16) | (12u << 11);

// The extended headers of levels 1 and 2, each a type byte and its data.
QList<QByteArray> extensionsOf(const HandMadeArchive::Member& m)
{
    QList<QByteArray> all;
    if (m.level == 2)
        all.append('\x01' + m.rawName);
    if (!m.rawFolder.isEmpty())
        all.append('\x02' + m.rawFolder);
    if (m.unixMode) {
        QByteArray mode(1, '\x50');
        put16(mode, *m.unixMode);
        all.append(mode);
    }
    for (const auto& e : m.extensions)
        all.append(e.first + e.second);
    return all;
}

// Level 0 and 1: the size and checksum of the bytes after the first two.
QByteArray withSizeAndSum(const QByteArray& body)
{
    quint8 sum = 0;
    for (char c : body)
        sum = quint8(sum + quint8(c));
    return QByteArray(1, char(body.size())) + char(sum) + body;
}

} // namespace

HandMadeArchive& HandMadeArchive::add(const Member& member)
{
    members_.append(member);
    return *this;
}

HandMadeArchive& HandMadeArchive::addFile(const QByteArray& rawName, const QByteArray& data, int level)
{
    Member m;
    m.rawName = rawName;
    m.data = data;
    m.level = level;
    return add(m);
}

QByteArray HandMadeArchive::header(const Member& m)
{
    const quint32 original = m.declaredOriginal.value_or(quint32(m.data.size()));
    const quint16 crc = Crc16::of(m.data.constData(), m.data.size());
    const QList<QByteArray> extensions = m.level == 0 ? QList<QByteArray>() : extensionsOf(m);
    // Level 1 chains its extended headers after the base header, each ending
    // in the size of the next; level 2 puts each size in front.
    QByteArray chain;
    for (qsizetype i = 0; i < extensions.size(); ++i) {
        if (m.level == 2)
            put16(chain, quint32(extensions[i].size() + 2));
        chain.append(extensions[i]);
        if (m.level == 1)
            put16(chain, i + 1 < extensions.size() ? quint32(extensions[i + 1].size() + 2) : 0);
    }
    if (m.level == 2)
        put16(chain, 0);
    const quint32 packed =
        m.declaredPacked.value_or(quint32(stored(m).size()) + (m.level == 1 ? quint32(chain.size()) : 0));

    QByteArray body = m.method.left(5);
    put32(body, packed);
    put32(body, original);
    if (m.level == 2) {
        put32(body, m.unixTime);
        body.append(char(0x20));
        body.append(char(2));
        put16(body, crc);
        body.append(m.osType);
        // OS-9/68k's archiver leaves its own two size bytes out of the size.
        const quint32 size = 24 + quint32(chain.size()) - (m.osType == 'K' ? 2 : 0);
        QByteArray h;
        put16(h, size);
        return h + body + chain;
    }
    put32(body, kDosTime);
    body.append(char(0x20));
    body.append(char(m.level));
    body.append(char(m.rawName.size()));
    body.append(m.rawName);
    put16(body, crc);
    if (m.level == 0)
        return withSizeAndSum(body);
    body.append(m.osType);
    put16(body, extensions.isEmpty() ? 0 : quint32(extensions.first().size() + 2));
    return withSizeAndSum(body) + chain;
}

QByteArray HandMadeArchive::bytes(bool endMark) const
{
    QByteArray out;
    for (const Member& m : members_)
        out += header(m) + stored(m);
    if (endMark)
        out.append(char(0));
    return out;
}

qsizetype HandMadeArchive::dataOffset(int index) const
{
    qsizetype offset = 0;
    for (int i = 0; i < index; ++i)
        offset += header(members_[i]).size() + stored(members_[i]).size();
    return offset + header(members_[index]).size();
}
