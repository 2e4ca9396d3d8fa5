#pragma once

#include <cstdint>

// Length-limited canonical Huffman codes as the LHA block format defines them: shorter codes first, codes of
// one length in symbol order.
namespace HuffmanCode {

constexpr int kMaxBits = 16;

// Fills lengths[0..count) from the frequencies, no code longer than kMaxBits; unused symbols get 0. Returns
// the number of symbols in use. With fewer than two symbols in use every length is 0.
int buildLengths(const std::uint32_t* freq, int count, std::uint8_t* lengths);

// Assigns the canonical code of every used symbol.
void buildCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes);

} // namespace HuffmanCode
