#pragma once

#include <QString>

// The vendor's notice page shown as plain text: each pass drops one tag and
// keeps the text up to the next "<", blanks trimmed, line breaks kept. Passes
// run while 30 or more characters remain; text before the first ">" and text
// after a tag in the final short rest is not shown. Entities stay as written.
namespace NoticeText {

QString fromPage(const QString& page);

} // namespace NoticeText
