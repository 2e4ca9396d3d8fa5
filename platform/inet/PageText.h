#pragma once

#include <QByteArray>
#include <QString>

// Turns the bytes of a fetched page into text: the charset named by the
// Content-Type header wins, then a <meta> declaration near the top of the page,
// then the legacy code page that the vendor's pages have always used.
namespace PageText {

// The charset parameter of a Content-Type value, lower case; empty when none.
QString charsetFromContentType(const QByteArray& contentType);
// The charset declared by a <meta> element in the page's head; empty when none.
QString charsetFromMeta(const QByteArray& page);
QString decode(const QByteArray& page, const QByteArray& contentType);

} // namespace PageText
