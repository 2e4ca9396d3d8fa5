#include "platform/lha/format/MemberHeader.h"

bool MemberHeader::isSymlink() const
{
    constexpr quint16 kTypeMask = 0170000;
    constexpr quint16 kTypeLink = 0120000;
    if (unixMode && (*unixMode & kTypeMask) == kTypeLink)
        return true;
    // Unix tools store a link as a directory entry named "name|target".
    return isDirectory() && rawPath.contains('|');
}
