#pragma once

#include <QString>

// The server box holds a host, "host:port" or "[IPv6]:port". A plain host,
// a bare IPv6 address such as "::1" included, means the FTP port 21.
struct ServerAddress
{
    QString host;
    int port = 21;

    static ServerAddress parse(const QString& text);
};
