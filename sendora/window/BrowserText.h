#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Texts the browser window derives from remote entries, remote paths, local
// paths and server replies. Pure functions, so they are tested without a window.
namespace BrowserText {

// Four letters from the attribute bits: archive, system, hidden, read-only ("a--w", "ashr").
QString AttrText(quint32 attributes);

QString ReverseText(const QString& text);

// Parent of a remote path: "/a/b" -> "/a", "/a" -> "/", "abc" -> "abc".
QString ParentPath(const QString& path);

// The path followed by "/" unless it already ends with one; "" gives "/".
QString AddSlash(const QString& path);

// File-name part of a local path; "" when the path ends with a separator.
QString GetFileName(const QString& localPath);

// A local folder followed by the platform's separator unless it already ends with one.
QString withTrailingSeparator(const QString& folder);

// "yyyy/MM/dd H:mm:ss"; the date alone at midnight; the time alone on the zero date.
QString DateText(const QDateTime& value);

// First of "新しいフォルダ", "新しいフォルダ(1)", ... that no existing name equals.
QString NewFolderName(const QStringList& existingNames);

// The last line of a reply that ends with CR LF; a reply without any CR LF is
// shown whole, so that a bare reply is not lost.
QString ReplyLineToShow(const QString& reply);

// A name the server gave that may be written into a local folder: no path
// separators and not "." or "..", so nothing lands outside that folder.
bool IsSafeLocalName(const QString& name);

} // namespace BrowserText
