#pragma once

#include <QString>

// Names from archives and from the file system may hold control characters;
// printed as they are, a line feed in a refused name could forge a "Melted"
// line for a caller that reads the output line by line. Each control
// character (C0, DEL, C1 and the Unicode line and paragraph separators) is
// shown as its code in angle brackets, "<0A>", which no Windows file name can
// hold, so the escape cannot be mistaken for a real name.
namespace PrintableText {

QString escaped(const QString& text);

} // namespace PrintableText
