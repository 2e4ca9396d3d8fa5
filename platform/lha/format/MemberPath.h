#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A member's stored name decoded from CP932 and checked before anything is
// written. A leading drive letter and leading separators are dropped, so an
// absolute name lands below the destination; "..", names that Windows would
// shorten to "..", other ':' and control characters are refused. Both '\'
// and '/' (and the 0xFF folder mark) separate folders; splitting happens
// after decoding, so a CP932 character whose second byte is 0x5C stays whole.
class MemberPath
{
public:
    static MemberPath fromRaw(const QByteArray& rawPath);

    // The stored name with '/' between folders, for listings and messages.
    QString display() const { return display_; }
    bool isSafe() const { return refusal_.isEmpty(); }
    // Nothing left once "." parts and separators are dropped ("./", "/").
    bool isEmpty() const { return empty_; }
    QString refusal() const { return refusal_; }
    // Folders and name, only when safe.
    const QStringList& parts() const { return parts_; }
    QString relativePath() const { return parts_.join(QLatin1Char('/')); }
    QString fileName() const { return parts_.isEmpty() ? QString() : parts_.last(); }

    // Names in archives are CP932; archives from Unix tools may hold UTF-8.
    static QString decodeName(const QByteArray& bytes);

private:
    QString display_;
    QStringList parts_;
    QString refusal_;
    bool empty_ = false;
};
