#pragma once

#include <QByteArray>

// Compressed data in the two formats of LArc, written here with a plain
// greedy search so that tests can build LArc members byte by byte. Both are
// LZSS over a ring buffer that starts part way in: -lzs- is a bit stream
// (2 KiB ring, matches of 2 to 17 bytes), -lz5- groups eight items behind a
// flag byte (4 KiB ring, matches of 3 to 18 bytes). Matches only reach back
// into what was written, never into the ring's initial contents.
namespace LarcStreams {

QByteArray lzs(const QByteArray& data);
QByteArray lz5(const QByteArray& data);

} // namespace LarcStreams
