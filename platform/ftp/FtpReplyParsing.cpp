#include "platform/ftp/FtpReplyParsing.h"

#include <QList>

namespace FtpReplyParsing {

namespace {

QByteArray firstLine(const QByteArray& text)
{
    qsizetype end = text.indexOf('\n');
    QByteArray line = end < 0 ? text : text.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// Text after the reply code and its separator.
QByteArray afterCode(const QByteArray& line)
{
    return line.size() > 4 ? line.mid(4) : QByteArray();
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads up to three digits at pos as a number 0..255.
std::optional<int> readOctet(const QByteArray& text, qsizetype& pos)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && isDigit(text.at(pos)) && digits < 4) {
        value = value * 10 + (text.at(pos) - '0');
        ++digits;
        ++pos;
    }
    if (digits == 0 || digits > 3 || value > 255)
        return std::nullopt;
    return value;
}

void skipBlanks(const QByteArray& text, qsizetype& pos)
{
    while (pos < text.size() && text.at(pos) == ' ')
        ++pos;
}

// A byte count at pos: 1 to 18 digits, so that it cannot overflow.
std::optional<qint64> readCount(const QByteArray& text, qsizetype& pos)
{
    qint64 value = 0;
    int digits = 0;
    while (pos < text.size() && isDigit(text.at(pos))) {
        if (++digits > 18)
            return std::nullopt;
        value = value * 10 + (text.at(pos) - '0');
        ++pos;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

// The mechanisms after AUTH, separated by ';', ',' or blanks.
bool offersTls(const QByteArray& mechanisms)
{
    QByteArray separated = mechanisms;
    separated.replace(';', ' ').replace(',', ' ');
    const QList<QByteArray> names = separated.simplified().split(' ');
    return names.contains("TLS") || names.contains("TLS-C");
}

} // namespace

std::optional<PassiveAddress> parsePasv(const QByteArray& text)
{
    const QByteArray line = afterCode(firstLine(text));
    for (qsizetype start = 0; start < line.size(); ++start) {
        if (!isDigit(line.at(start)) || (start > 0 && isDigit(line.at(start - 1))))
            continue;
        qsizetype pos = start;
        int values[6];
        int count = 0;
        while (count < 6) {
            const auto value = readOctet(line, pos);
            if (!value)
                break;
            values[count++] = *value;
            if (count == 6)
                break;
            skipBlanks(line, pos);
            if (pos >= line.size() || line.at(pos) != ',')
                break;
            ++pos;
            skipBlanks(line, pos);
        }
        if (count != 6 || (pos < line.size() && isDigit(line.at(pos))))
            continue;
        const quint32 ip = (quint32(values[0]) << 24) | (quint32(values[1]) << 16) |
                           (quint32(values[2]) << 8) | quint32(values[3]);
        const int port = values[4] * 256 + values[5];
        if (port == 0)
            return std::nullopt;
        return PassiveAddress{QHostAddress(ip), quint16(port)};
    }
    return std::nullopt;
}

std::optional<quint16> parseEpsv(const QByteArray& text)
{
    const QByteArray line = afterCode(firstLine(text));
    const qsizetype open = line.indexOf('(');
    if (open < 0)
        return std::nullopt;
    const qsizetype close = line.indexOf(')', open);
    if (close < 0 || close - open < 6)
        return std::nullopt;
    const QByteArray inner = line.mid(open + 1, close - open - 1);
    const char delimiter = inner.at(0);
    if (delimiter < 33 || delimiter > 126 || isDigit(delimiter))
        return std::nullopt;
    if (inner.at(1) != delimiter || inner.at(2) != delimiter || inner.back() != delimiter)
        return std::nullopt;
    const QByteArray digits = inner.mid(3, inner.size() - 4);
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

std::optional<QByteArray> parsePwd(const QByteArray& text)
{
    const QByteArray line = afterCode(firstLine(text));
    const qsizetype open = line.indexOf('"');
    if (open < 0) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty())
            return std::nullopt;
        const qsizetype blank = trimmed.indexOf(' ');
        return blank < 0 ? trimmed : trimmed.left(blank);
    }
    QByteArray dir;
    qsizetype pos = open + 1;
    while (pos < line.size()) {
        const char c = line.at(pos);
        if (c == '"') {
            if (pos + 1 < line.size() && line.at(pos + 1) == '"') {
                dir.append('"');
                pos += 2;
                continue;
            }
            return dir;
        }
        dir.append(c);
        ++pos;
    }
    // No closing quote: take what there is, without trailing blanks.
    while (dir.endsWith(' '))
        dir.chop(1);
    if (dir.isEmpty())
        return std::nullopt;
    return dir;
}

Features parseFeatures(const QByteArray& text)
{
    Features features;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& raw = lines.at(i);
        if (!raw.startsWith(' '))
            continue;
        QByteArray feature = raw.trimmed().toUpper();
        QByteArray parameters;
        const qsizetype blank = feature.indexOf(' ');
        if (blank >= 0) {
            parameters = feature.mid(blank + 1);
            feature.truncate(blank);
        }
        if (feature == "UTF8")
            features.utf8 = true;
        else if (feature == "MLST")
            features.mlst = true;
        else if (feature == "AUTH")
            features.authTls = features.authTls || offersTls(parameters);
    }
    return features;
}

std::optional<qint64> parseSize(const QByteArray& text)
{
    const QByteArray line = afterCode(firstLine(text)).trimmed();
    qsizetype pos = 0;
    const auto size = readCount(line, pos);
    if (!size || pos != line.size())
        return std::nullopt;
    return size;
}

std::optional<qint64> parseTransferSize(const QByteArray& text)
{
    const QByteArray line = afterCode(firstLine(text));
    const qsizetype open = line.lastIndexOf('(');
    if (open < 0)
        return std::nullopt;
    qsizetype pos = open + 1;
    skipBlanks(line, pos);
    const auto size = readCount(line, pos);
    skipBlanks(line, pos);
    if (!size || line.mid(pos, 5).toLower() != "bytes")
        return std::nullopt;
    return size;
}

} // namespace FtpReplyParsing
