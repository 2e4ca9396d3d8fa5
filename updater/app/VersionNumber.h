#pragma once

#include <QString>
#include <optional>

// Versions are texts such as "105"; they compare by the number they start with.
namespace VersionNumber {

// The number at the start of text: an optional sign, digits, a decimal point
// and an exponent, blanks skipped anywhere ("1 05" reads 105), reading stopped
// at the first other character. Nothing when no digit is found.
std::optional<double> read(const QString& text);
// As read(), with 0 when no number is found.
double value(const QString& text);

// The latest version as the version page carries it: the three characters
// that follow "TITLE" and one more character (the title element's text).
// Nothing when the page has no "TITLE" (matched with letter case).
std::optional<QString> fromVersionPage(const QString& page);

} // namespace VersionNumber
