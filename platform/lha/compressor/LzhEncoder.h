#pragma once

#include <cstdint>
#include <functional>

// Streams one member through LZSS with lazy matching and writes -lh5-, -lh6- or -lh7- data.
// Input comes from `read` (bytes read, 0 at the end, negative on failure); compressed bytes go to `write`,
// which may refuse them (returns false) to stop the work early, e.g. when compression does not pay.
class LzhEncoder
{
public:
    using Reader = std::function<std::int64_t(char* buffer, std::int64_t capacity)>;
    using Writer = std::function<bool(const char* data, std::int64_t size)>;

    enum class Result
    {
        Done,
        ReadFailed,
        Stopped, // the writer refused the data
        TooLarge,
    };

    struct Tuning
    {
        int maxChain;
        int niceLength;
        int lazyLimit;        // a match this long is taken without looking one byte further
        int farThreeDistance; // 3-byte matches farther than this are not worth their offset bits
        int codesPerBlock;
    };

    // dictionaryBits: 13 (-lh5-), 15 (-lh6-) or 16 (-lh7-).
    explicit LzhEncoder(int dictionaryBits);
    LzhEncoder(int dictionaryBits, const Tuning& tuning);

    static Tuning defaultTuning(int dictionaryBits);

    Result encode(const Reader& read, const Writer& write);

private:
    int m_dictionaryBits;
    Tuning m_tuning;
};
