#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The one place that converts between our text and the legacy code page (CP932)
// in which the products and their servers exchange file contents and names.
namespace LegacyText {

// Decodes CP932; invalid bytes, and a character cut off at the end, become
// replacement characters.
QString decode(const QByteArray& bytes);
// Strict: nothing when the bytes are not valid CP932.
std::optional<QString> decodeStrict(const QByteArray& bytes);
// Strict: nothing when a character has no CP932 form.
std::optional<QByteArray> encode(const QString& text);
// Lenient: unmappable characters become '?'.
QByteArray encodeLossy(const QString& text);

} // namespace LegacyText
