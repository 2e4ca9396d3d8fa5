#pragma once

#include <QByteArrayView>
#include <optional>

// The words and characters that name the parts of a date in the listings of
// servers running in other locales.
namespace FtpListing {

// Month 1..12 from a month name as ls prints it in English and in the
// languages of other locales (German, French, Spanish, Italian, Portuguese,
// Dutch, Hungarian, Polish, Czech, Scandinavian, Finnish, Russian):
// abbreviated or full, any case, in UTF-8 or Latin-1, with the trailing "."
// or "," some locales write ("Okt.", "Jan.,").
std::optional<int> parseMonthName(QByteArrayView text);

// Month 1..12 from the three-letter English abbreviation alone ("Jan", "jan"),
// the form of nearly every listing.
std::optional<int> parseEnglishMonth(QByteArrayView text);

enum class DateUnit
{
    None,
    Year,
    Month,
    Day
};

// A number as Japanese, Chinese and Korean dates write it, with the
// character for year, month or day after it ("2003年", "4月", "18日", "2005년",
// "1월", "6일"), in UTF-8, CP932, EUC-JP, GBK, Big5 or EUC-KR; a plain number
// has unit None.
struct UnitNumber
{
    int value = 0;
    DateUnit unit = DateUnit::None;
};
std::optional<UnitNumber> parseUnitNumber(QByteArrayView text);

} // namespace FtpListing
