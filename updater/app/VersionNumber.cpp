#include "updater/app/VersionNumber.h"

#include <cstdlib>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Walks text, skipping blanks, and collects the characters of a number.
class NumberScanner
{
public:
    explicit NumberScanner(const QString& text) : text_(text) {}

    QChar peek()
    {
        while (pos_ < text_.size() && text_.at(pos_) == QLatin1Char(' '))
            ++pos_;
        return pos_ < text_.size() ? text_.at(pos_) : QChar();
    }
    void take()
    {
        out_ += static_cast<char>(text_.at(pos_).unicode());
        ++pos_;
    }
    int takeDigits()
    {
        int count = 0;
        while (isDigit(peek())) {
            take();
            ++count;
        }
        return count;
    }
    bool takeSign()
    {
        const QChar c = peek();
        if (c != QLatin1Char('+') && c != QLatin1Char('-'))
            return false;
        take();
        return true;
    }
    const std::string& collected() const { return out_; }
    qsizetype mark() const { return pos_; }
    void rewind(qsizetype pos, std::size_t outSize)
    {
        pos_ = pos;
        out_.resize(outSize);
    }

private:
    const QString& text_;
    qsizetype pos_ = 0;
    std::string out_;
};

} // namespace

namespace VersionNumber {

std::optional<double> read(const QString& text)
{
    NumberScanner scan(text);
    scan.takeSign();
    int digits = scan.takeDigits();
    if (scan.peek() == QLatin1Char('.')) {
        scan.take();
        digits += scan.takeDigits();
    }
    if (digits == 0)
        return std::nullopt;
    const QChar e = scan.peek();
    if (e == QLatin1Char('e') || e == QLatin1Char('E') || e == QLatin1Char('d') || e == QLatin1Char('D')) {
        const qsizetype pos = scan.mark();
        const std::size_t size = scan.collected().size();
        scan.take();
        scan.takeSign();
        if (scan.takeDigits() == 0)
            scan.rewind(pos, size);
    }
    std::string number = scan.collected();
    for (char& c : number) {
        if (c == 'd' || c == 'D')
            c = 'e';
    }
    return std::strtod(number.c_str(), nullptr);
}

double value(const QString& text)
{
    return read(text).value_or(0.0);
}

std::optional<QString> fromVersionPage(const QString& page)
{
    const qsizetype at = page.indexOf(QLatin1String("TITLE"), 0, Qt::CaseSensitive);
    if (at < 0)
        return std::nullopt;
    return page.mid(at + 6, 3);
}

} // namespace VersionNumber
