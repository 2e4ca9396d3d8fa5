#include "platform/ftp/listing/DateWords.h"

#include "platform/ftp/listing/ListingValues.h"

#include <string_view>

namespace FtpListing {

namespace {

struct MonthSpelling
{
    std::string_view text; // lower case, UTF-8
    int month;
};

// Abbreviations as the C libraries' locales print them in ls, and full names.
// Spellings shared by several languages appear once.
constexpr MonthSpelling kMonthSpellings[] = {
    // English (full names; the three-letter forms are read before this table)
    {"january", 1},
    {"february", 2},
    {"march", 3},
    {"april", 4},
    {"june", 6},
    {"july", 7},
    {"august", 8},
    {"september", 9},
    {"sept", 9},
    {"october", 10},
    {"november", 11},
    {"december", 12},
    // German and Austrian
    {"jän", 1},
    {"januar", 1},
    {"jänner", 1},
    {"februar", 2},
    {"mär", 3},
    {"mrz", 3},
    {"märz", 3},
    {"mai", 5},
    {"juni", 6},
    {"juli", 7},
    {"okt", 10},
    {"oktober", 10},
    {"dez", 12},
    {"dezember", 12},
    // French
    {"janv", 1},
    {"janvier", 1},
    {"fév", 2},
    {"févr", 2},
    {"fev", 2},
    {"fevr", 2},
    {"février", 2},
    {"fevrier", 2},
    {"mars", 3},
    {"avr", 4},
    {"avril", 4},
    {"juin", 6},
    {"jui", 7},
    {"juil", 7},
    {"juillet", 7},
    {"aoû", 8},
    {"août", 8},
    {"aout", 8},
    {"septembre", 9},
    {"octobre", 10},
    {"novembre", 11},
    {"déc", 12},
    {"décembre", 12},
    {"decembre", 12},
    // Spanish
    {"ene", 1},
    {"enero", 1},
    {"febrero", 2},
    {"marzo", 3},
    {"abr", 4},
    {"abril", 4},
    {"mayo", 5},
    {"junio", 6},
    {"julio", 7},
    {"ago", 8},
    {"agosto", 8},
    {"septiembre", 9},
    {"setiembre", 9},
    {"octubre", 10},
    {"noviembre", 11},
    {"dic", 12},
    {"diciembre", 12},
    // Italian
    {"gen", 1},
    {"gennaio", 1},
    {"febbraio", 2},
    {"aprile", 4},
    {"mag", 5},
    {"maggio", 5},
    {"giu", 6},
    {"giugno", 6},
    {"lug", 7},
    {"luglio", 7},
    {"set", 9},
    {"settembre", 9},
    {"ott", 10},
    {"ottobre", 10},
    {"dicembre", 12},
    // Portuguese
    {"janeiro", 1},
    {"fevereiro", 2},
    {"março", 3},
    {"maio", 5},
    {"junho", 6},
    {"julho", 7},
    {"setembro", 9},
    {"out", 10},
    {"outubro", 10},
    {"novembro", 11},
    {"dezembro", 12},
    // Dutch
    {"januari", 1},
    {"februari", 2},
    {"mrt", 3},
    {"maart", 3},
    {"mei", 5},
    {"augustus", 8},
    // Hungarian
    {"január", 1},
    {"febr", 2},
    {"február", 2},
    {"márc", 3},
    {"március", 3},
    {"ápr", 4},
    {"április", 4},
    {"máj", 5},
    {"május", 5},
    {"jún", 6},
    {"június", 6},
    {"júl", 7},
    {"július", 7},
    {"augusztus", 8},
    {"szept", 9},
    {"szeptember", 9},
    {"október", 10},
    // Polish
    {"sty", 1},
    {"lut", 2},
    {"kwi", 4},
    {"maj", 5},
    {"cze", 6},
    {"lip", 7},
    {"sie", 8},
    {"wrz", 9},
    {"paź", 10},
    {"lis", 11},
    {"gru", 12},
    // Czech
    {"led", 1},
    {"úno", 2},
    {"bře", 3},
    {"dub", 4},
    {"kvě", 5},
    {"čen", 6},
    {"čec", 7},
    {"srp", 8},
    {"zář", 9},
    {"říj", 10},
    {"pro", 12},
    // Norwegian (the Swedish and Danish forms are among the above)
    {"des", 12},
    // Finnish
    {"tammi", 1},
    {"helmi", 2},
    {"maalis", 3},
    {"huhti", 4},
    {"touko", 5},
    {"kesä", 6},
    {"heinä", 7},
    {"elo", 8},
    {"syys", 9},
    {"loka", 10},
    {"marras", 11},
    {"joulu", 12},
    // Russian
    {"янв", 1},
    {"фев", 2},
    {"мар", 3},
    {"апр", 4},
    {"мая", 5},
    {"май", 5},
    {"июн", 6},
    {"июл", 7},
    {"авг", 8},
    {"сен", 9},
    {"окт", 10},
    {"ноя", 11},
    {"дек", 12},
};

constexpr char kEnglish[12][4] = {"jan", "feb", "mar", "apr", "may", "jun",
                                  "jul", "aug", "sep", "oct", "nov", "dec"};

// Longest spelling in bytes, with room for Latin-1 letters widened to UTF-8.
constexpr qsizetype kMaxMonthBytes = 24;

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isAlpha(char c)
{
    const char lower = lowerAscii(c);
    return lower >= 'a' && lower <= 'z';
}

// Lower case in UTF-8: ASCII letters, and the Latin-1 letters whether they
// came as UTF-8 or as single Latin-1 bytes. Other characters are kept.
qsizetype canonicalMonth(QByteArrayView text, char (&out)[kMaxMonthBytes * 2])
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out[length++] = lowerAscii(char(byte));
            continue;
        }
        unsigned char latin = 0;
        if (byte == 0xC3 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80)
            latin = static_cast<unsigned char>(text[++i]) + 0x40; // a UTF-8 Latin-1 letter
        else if (byte >= 0xC0 &&
                 (i + 1 >= text.size() || (static_cast<unsigned char>(text[i + 1]) & 0xC0) != 0x80))
            latin = byte; // a Latin-1 byte not starting a UTF-8 sequence
        if (latin == 0) {
            out[length++] = char(byte);
            continue;
        }
        if (latin >= 0xC0 && latin <= 0xDE && latin != 0xD7)
            latin += 0x20;
        out[length++] = char(0xC3);
        out[length++] = char(latin - 0x40);
    }
    return length;
}

struct UnitSpelling
{
    std::string_view text;
    DateUnit unit;
};

// 年 月 日 in UTF-8, CP932, EUC-JP, GBK and Big5; 년 월 일 in UTF-8 and EUC-KR,
// and the Chinese characters in EUC-KR.
constexpr UnitSpelling kUnitSpellings[] = {
    {"\xE5\xB9\xB4", DateUnit::Year}, {"\xE6\x9C\x88", DateUnit::Month}, {"\xE6\x97\xA5", DateUnit::Day},
    {"\xEB\x85\x84", DateUnit::Year}, {"\xEC\x9B\x94", DateUnit::Month}, {"\xEC\x9D\xBC", DateUnit::Day},
    {"\x94\x4E", DateUnit::Year},     {"\x8C\x8E", DateUnit::Month},     {"\x93\xFA", DateUnit::Day},
    {"\xC7\xAF", DateUnit::Year},     {"\xB7\xEE", DateUnit::Month},     {"\xC6\xFC", DateUnit::Day},
    {"\xC4\xEA", DateUnit::Year},     {"\xD4\xC2", DateUnit::Month},     {"\xC8\xD5", DateUnit::Day},
    {"\xA6\x7E", DateUnit::Year},     {"\xA4\xEB", DateUnit::Month},     {"\xA4\xE9", DateUnit::Day},
    {"\xB3\xE2", DateUnit::Year},     {"\xBF\xF9", DateUnit::Month},     {"\xC0\xCF", DateUnit::Day},
    {"\xD2\xB4", DateUnit::Year},     {"\xEA\xC5", DateUnit::Month},     {"\xEC\xED", DateUnit::Day},
};

} // namespace

std::optional<int> parseEnglishMonth(QByteArrayView text)
{
    if (text.size() != 3 || !isAlpha(text[0]) || !isAlpha(text[1]) || !isAlpha(text[2]))
        return std::nullopt;
    const char a = lowerAscii(text[0]), b = lowerAscii(text[1]), c = lowerAscii(text[2]);
    for (int month = 0; month < 12; ++month) {
        if (kEnglish[month][0] == a && kEnglish[month][1] == b && kEnglish[month][2] == c)
            return month + 1;
    }
    return std::nullopt;
}

std::optional<int> parseMonthName(QByteArrayView text)
{
    // Most fields tried here are numbers or user names: leave them early.
    if (text.size() < 3 || text.size() > kMaxMonthBytes || (text[0] >= '0' && text[0] <= '9'))
        return std::nullopt;
    while (text.endsWith('.') || text.endsWith(','))
        text.chop(1);
    if (text.size() < 3)
        return std::nullopt;
    if (const auto month = parseEnglishMonth(text))
        return month;
    char canonical[kMaxMonthBytes * 2];
    const qsizetype length = canonicalMonth(text, canonical);
    const std::string_view word(canonical, size_t(length));
    for (const MonthSpelling& spelling : kMonthSpellings) {
        if (spelling.text == word)
            return spelling.month;
    }
    return std::nullopt;
}

std::optional<UnitNumber> parseUnitNumber(QByteArrayView text)
{
    qsizetype digits = 0;
    while (digits < text.size() && digits < 5 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0)
        return std::nullopt;
    const auto value = parseCount(text.first(digits));
    if (!value)
        return std::nullopt;
    const QByteArrayView rest = text.sliced(digits);
    if (rest.isEmpty())
        return UnitNumber{int(*value), DateUnit::None};
    for (const UnitSpelling& spelling : kUnitSpellings) {
        if (rest == QByteArrayView(spelling.text.data(), qsizetype(spelling.text.size())))
            return UnitNumber{int(*value), spelling.unit};
    }
    return std::nullopt;
}

} // namespace FtpListing
