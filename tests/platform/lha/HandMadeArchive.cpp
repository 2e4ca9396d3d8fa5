#include "tests/platform/lha/HandMadeArchive.h"

#include "platform/lha/codec/Crc16.h"

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
constexpr quint32 kUnixTime = 1234958400; // 2009-02-18 12:00 UTC

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
    const quint32 packed = m.declaredPacked.value_or(quint32(m.data.size()));
    const quint32 original = m.declaredOriginal.value_or(quint32(m.data.size()));
    const quint16 crc = Crc16::of(m.data.constData(), m.data.size());
    QByteArray h;
    if (m.level == 0) {
        QByteArray body;
        body.append(m.method.left(5));
        put32(body, packed);
        put32(body, original);
        put32(body, kDosTime);
        body.append(char(0x20));
        body.append(char(0));
        body.append(char(m.rawName.size()));
        body.append(m.rawName);
        put16(body, crc);
        quint8 sum = 0;
        for (char c : body)
            sum = quint8(sum + quint8(c));
        h.append(char(body.size()));
        h.append(char(sum));
        h.append(body);
        return h;
    }
    QList<QByteArray> extensions;
    auto ext = [&](char type, const QByteArray& data) { extensions.append(QByteArray(1, type) + data); };
    ext(0x01, m.rawName);
    if (!m.rawFolder.isEmpty())
        ext(0x02, m.rawFolder);
    if (m.unixMode) {
        QByteArray mode;
        put16(mode, *m.unixMode);
        ext(0x50, mode);
    }
    QByteArray tail;
    for (const QByteArray& e : extensions) {
        put16(tail, quint32(e.size() + 2));
        tail.append(e);
    }
    put16(tail, 0);
    const quint32 total = 24 + quint32(tail.size());
    put16(h, total);
    h.append(m.method.left(5));
    put32(h, packed);
    put32(h, original);
    put32(h, kUnixTime);
    h.append(char(0x20));
    h.append(char(2));
    put16(h, crc);
    h.append('U');
    h.append(tail);
    return h;
}

QByteArray HandMadeArchive::bytes(bool endMark) const
{
    QByteArray out;
    for (const Member& m : members_)
        out += header(m) + m.data;
    if (endMark)
        out.append(char(0));
    return out;
}

qsizetype HandMadeArchive::dataOffset(int index) const
{
    qsizetype offset = 0;
    for (int i = 0; i < index; ++i)
        offset += header(members_[i]).size() + members_[i].data.size();
    return offset + header(members_[index]).size();
}
