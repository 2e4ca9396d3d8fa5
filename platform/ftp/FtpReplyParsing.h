#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <optional>

// Reads the values that some replies carry: the passive-mode address, the
// working directory and the features a server announces.
namespace FtpReplyParsing {

struct PassiveAddress
{
    QHostAddress address;
    quint16 port = 0;
};

struct Features
{
    bool utf8 = false;
    bool mlst = false;
    bool authTls = false; // "AUTH TLS", also in lists such as "AUTH SSL;TLS"
};

// 227 "Entering Passive Mode (h1,h2,h3,h4,p1,p2)"; the parentheses are optional.
std::optional<PassiveAddress> parsePasv(const QByteArray& text);

// 229 "Entering Extended Passive Mode (|||port|)" with any delimiter character.
std::optional<quint16> parseEpsv(const QByteArray& text);

// 257 '"dir" is current': the quoted name with "" meaning one quote; without
// a closing quote the rest of the line; without any quote the first word.
std::optional<QByteArray> parsePwd(const QByteArray& text);

// 211 FEAT body: one feature per line, each indented by a blank.
Features parseFeatures(const QByteArray& text);

// 213 "size": the size of a file in bytes.
std::optional<qint64> parseSize(const QByteArray& text);

// The size many servers put in the reply that opens a transfer:
// 150 "Opening BINARY mode data connection for f (5000 bytes)."
std::optional<qint64> parseTransferSize(const QByteArray& text);

} // namespace FtpReplyParsing
