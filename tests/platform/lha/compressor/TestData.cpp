#include "tests/platform/lha/compressor/TestData.h"

#include <QRandomGenerator>
#include <cstring>

namespace TestData {

QByteArray text(qsizetype size)
{
    static const char* words[] = {"archive", "member",  "header", "window", "match", "literal",
                                  "block",   "huffman", "offset", "length", "tree",  "data\n"};
    QRandomGenerator rng(7);
    QByteArray out;
    out.reserve(size + 16);
    while (out.size() < size) {
        out += words[rng.bounded(12)];
        out += ' ';
        if (rng.bounded(40) == 0)
            out += QByteArray::number(rng.bounded(100000));
    }
    out.truncate(size);
    return out;
}

QByteArray random(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = char(rng.generate() & 0xFF);
    return out;
}

QByteArray mixed(qsizetype size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out;
    out.reserve(size + (1 << 17));
    int kind = 0;
    while (out.size() < size) {
        switch (kind++ % 5) {
        case 0:
            out += text(20000 + rng.bounded(40000));
            break;
        case 1:
            for (int r = 0; r < 2000; ++r) {
                char record[24] = {};
                const quint32 v = quint32(r) * 3 + rng.bounded(3);
                std::memcpy(record, &v, 4);
                record[8] = char(r & 0xF);
                std::memcpy(record + 12, "OK    ", 6);
                out.append(record, sizeof record);
            }
            break;
        case 2:
            out += QByteArray(rng.bounded(70000), '\0');
            break;
        case 3: {
            // A stretch repeated at exactly 8 KiB - 1, 32 KiB - 1 and 64 KiB - 1: the farthest matches
            // allowed.
            static const int periods[] = {8191, 32767, 65535};
            const int period = periods[rng.bounded(3)];
            const QByteArray piece = random(period, rng.generate());
            out += piece;
            out += piece.left(4000);
            break;
        }
        default:
            out += random(10000 + rng.bounded(30000), rng.generate());
            break;
        }
    }
    out.truncate(size);
    return out;
}

} // namespace TestData
