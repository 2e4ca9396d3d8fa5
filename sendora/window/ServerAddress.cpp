#include "sendora/window/ServerAddress.h"

namespace {

// A port written as 1 to 65535 in plain digits; 0 otherwise.
int portFrom(const QString& digits)
{
    if (digits.isEmpty() || digits.size() > 5)
        return 0;
    for (QChar c : digits) {
        if (!c.isDigit() || c.unicode() > 0x7f)
            return 0;
    }
    const int port = digits.toInt();
    return port >= 1 && port <= 65535 ? port : 0;
}

} // namespace

ServerAddress ServerAddress::parse(const QString& text)
{
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close > 0) {
            const QString host = text.mid(1, close - 1);
            const QString rest = text.mid(close + 1);
            if (rest.isEmpty())
                return {host, 21};
            if (rest.startsWith(QLatin1Char(':'))) {
                if (const int port = portFrom(rest.mid(1)))
                    return {host, port};
            }
        }
        return {text, 21};
    }
    // One colon separates a port; more than one is an IPv6 address.
    if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        if (const int port = portFrom(text.mid(colon + 1)))
            return {text.left(colon), port};
    }
    return {text, 21};
}
