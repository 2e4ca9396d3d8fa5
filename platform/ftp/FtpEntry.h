#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// How names travel on the control and data connections of one session.
enum class FtpNameEncoding
{
    Cp932,
    Utf8
};

// One entry of a directory listing.
struct FtpEntry
{
    QByteArray rawName; // exactly the bytes the server sent; sent back unchanged
    QString name;       // rawName decoded in the session's encoding
    qint64 size = 0;    // 0 for directories and when unknown
    bool isDirectory = false;
    bool isSymlink = false;
    bool readOnly = false; // the owner cannot write it
    // Times are the listing's wall clock (no zone conversion), held with
    // Qt::UTC so that no local zone or daylight-saving rule shifts them:
    // read date() and time() for the fields as listed.
    QDateTime modified; // invalid when unknown
    QDateTime created;  // invalid when the listing has none
    QDateTime accessed; // invalid when the listing has none
};

// Every member moves by a plain copy of its bytes: lists of entries grow by
// reallocation, without moving each entry.
Q_DECLARE_TYPEINFO(FtpEntry, Q_RELOCATABLE_TYPE);
