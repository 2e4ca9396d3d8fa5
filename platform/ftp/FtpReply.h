#pragma once

#include <QByteArray>

// One complete server reply.
struct FtpReply
{
    int code = 0;
    QByteArray text;        // every line of the reply as received, each ending in CR LF
    bool truncated = false; // text holds only the start of a reply longer than the cap

    bool isPreliminary() const { return code >= 100 && code < 200; }
    bool isCompletion() const { return code >= 200 && code < 300; }
    bool isIntermediate() const { return code >= 300 && code < 400; }
    bool isFailure() const { return code >= 400; }
};
