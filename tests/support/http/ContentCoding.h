#pragma once

#include <QByteArray>

// Compression as a web server applies it to a response body: the coding the
// request's Accept-Encoding allows (gzip preferred over deflate), and the body
// in that coding.
namespace ContentCoding {

// "gzip", "deflate" or empty when the request allows neither.
QByteArray chosenFor(const QByteArray& acceptEncoding);
// gzip is the RFC 1952 file format, deflate the RFC 1950 zlib stream, as HTTP defines them.
QByteArray encode(const QByteArray& body, const QByteArray& coding);

} // namespace ContentCoding
