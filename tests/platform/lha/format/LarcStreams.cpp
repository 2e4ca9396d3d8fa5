#include "tests/platform/lha/format/LarcStreams.h"

#include <QHash>
#include <functional>

namespace {

struct Format
{
    int ringSize;
    int startOffset; // the ring position of the first byte, counted back from its end
    int minMatch;
    int maxMatch;
};

constexpr Format kLzs{2048, 17, 2, 17};
constexpr Format kLz5{4096, 18, 3, 18};

// Calls literal(byte) or match(ringPosition, length) for each item.
void greedy(const QByteArray& data, const Format& f, const std::function<void(char)>& literal,
            const std::function<void(int, int)>& match)
{
    QHash<QByteArray, qsizetype> last; // three bytes -> where they were seen last
    const qsizetype n = data.size();
    auto remember = [&](qsizetype at) {
        if (at + 3 <= n)
            last.insert(data.mid(at, 3), at);
    };
    for (qsizetype i = 0; i < n;) {
        int length = 0;
        qsizetype from = 0;
        const auto seen = i + 3 <= n ? last.constFind(data.mid(i, 3)) : last.constEnd();
        if (seen != last.constEnd() && i - *seen < f.ringSize - f.maxMatch) {
            from = *seen;
            while (length < f.maxMatch && i + length < n && data[from + length] == data[i + length])
                ++length;
        }
        if (length >= f.minMatch) {
            match(int((from + f.ringSize - f.startOffset) % f.ringSize), length);
            for (int k = 0; k < length; ++k)
                remember(i + k);
            i += length;
        } else {
            literal(data[i]);
            remember(i);
            ++i;
        }
    }
}

} // namespace

namespace LarcStreams {

QByteArray lzs(const QByteArray& data)
{
    QByteArray out;
    quint32 pending = 0;
    int bits = 0;
    auto put = [&](int count, quint32 value) {
        for (int i = count - 1; i >= 0; --i) {
            pending = (pending << 1) | ((value >> i) & 1);
            if (++bits == 8) {
                out.append(char(pending));
                pending = 0;
                bits = 0;
            }
        }
    };
    greedy(
        data, kLzs,
        [&](char c) {
            put(1, 1);
            put(8, quint8(c));
        },
        [&](int position, int length) {
            put(1, 0);
            put(11, quint32(position));
            put(4, quint32(length - kLzs.minMatch));
        });
    if (bits > 0)
        out.append(char(pending << (8 - bits)));
    return out;
}

QByteArray lz5(const QByteArray& data)
{
    QByteArray out;
    qsizetype flagAt = -1;
    int items = 8;
    auto next = [&](bool isLiteral) {
        if (items == 8) {
            flagAt = out.size();
            out.append('\0');
            items = 0;
        }
        if (isLiteral)
            out[flagAt] = char(quint8(out[flagAt]) | (1 << items));
        ++items;
    };
    greedy(
        data, kLz5,
        [&](char c) {
            next(true);
            out.append(c);
        },
        [&](int position, int length) {
            next(false);
            out.append(char(position & 0xff));
            out.append(char(((position >> 4) & 0xf0) | (length - kLz5.minMatch)));
        });
    return out;
}

} // namespace LarcStreams
