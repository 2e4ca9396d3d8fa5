#pragma once

#include <QString>

// The outcome of one protocol operation: success, the server's deciding reply
// code (0 when no reply decided it) and, on failure, why. Never dropped
// unread: a caller that ignores an outcome says so with a cast to void.
struct [[nodiscard]] FtpResult
{
    bool ok = false;
    int code = 0;
    QString error;

    static FtpResult success(int code) { return {true, code, {}}; }
    static FtpResult failure(int code, const QString& why) { return {false, code, why}; }
    static FtpResult failure(const QString& why) { return {false, 0, why}; }
    explicit operator bool() const { return ok; }
};
