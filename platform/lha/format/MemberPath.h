#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

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

    // The other way, for a new member: a CP932 name with '/' or '\' between
    // folders, split without cutting a double-byte character whose second
    // byte is 0x5C. Empty and "." parts are dropped.
    static QList<QByteArray> splitStored(const QByteArray& nameCp932);

    // A MemberHeader's rawPath and fileName for a new member; a folder's own
    // path ends in 0xFF and has no file name.
    struct Stored
    {
        QByteArray rawPath;
        QByteArray fileName;
    };
    // Nothing, with a message, when nothing is left of the name or when
    // every reader would have to refuse it ("..", a NUL byte).
    static std::optional<Stored> forStoring(const QByteArray& nameCp932, bool isDirectory, QString* error);

private:
    QString display_;
    QStringList parts_;
    QString refusal_;
    bool empty_ = false;
};
