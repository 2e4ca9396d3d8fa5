#include "platform/ftp/listing/UnixListEntry.h"

#include <array>
#include <string_view>

namespace FtpListing {

namespace {

// The letters ls writes in the mode column: the entry's type first, then
// the permissions. Looked up in tables, as every line's first field is tried.
constexpr std::array<bool, 256> letterTable(std::string_view letters)
{
    std::array<bool, 256> table{};
    for (char c : letters)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}
constexpr auto kTypeLetters = letterTable("-dlcbpsDn?");
constexpr auto kPermissionLetters = letterTable("-rwxsStTlL?");

} // namespace

bool isUnixMode(QByteArrayView text)
{
    if ((text.size() != 10 && text.size() != 11) || !kTypeLetters[static_cast<unsigned char>(text[0])])
        return false;
    for (int i = 1; i < 10; ++i) {
        if (!kPermissionLetters[static_cast<unsigned char>(text[i])])
            return false;
    }
    return text.size() == 10 || text[10] == '+' || text[10] == '.' || text[10] == '@';
}

bool isUnixDevice(char type)
{
    return type == 'c' || type == 'b';
}

QByteArrayView unixEntryName(QByteArrayView mode, QByteArrayView rest)
{
    if (mode[0] == 'l') {
        const qsizetype arrow = rest.indexOf(" -> ");
        if (arrow >= 0)
            return rest.first(arrow);
    }
    return rest;
}

void describeUnixEntry(FtpEntry& entry, QByteArrayView mode, qint64 size, WallTime modified)
{
    const char type = mode[0];
    entry.isDirectory = type == 'd';
    entry.isSymlink = type == 'l';
    entry.readOnly = mode[2] != 'w';
    entry.modified = modified.toDateTime();
    if (!entry.isDirectory && !isUnixDevice(type))
        entry.size = size;
}

} // namespace FtpListing
