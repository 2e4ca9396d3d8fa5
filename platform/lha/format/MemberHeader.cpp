#include "platform/lha/format/MemberHeader.h"

bool MemberHeader::isSymlink() const
{
    if (unixMode && (*unixMode & UnixFileType::kMask) == UnixFileType::kSymlink)
        return true;
    // Unix tools store a link as a directory entry named "name|target".
    return isDirectory() && rawPath.contains('|');
}
