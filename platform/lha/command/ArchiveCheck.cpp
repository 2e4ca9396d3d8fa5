#include "platform/lha/command/ArchiveCheck.h"

#include "platform/lha/command/ArchiveReader.h"
#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/MemberDecoder.h"

namespace ArchiveCheck {

bool isSound(const QString& path, int mode)
{
    constexpr int kRapidHeaders = 3;
    ArchiveReader reader;
    if (reader.open(path, mode == CHECKARCHIVE_RAPID ? kRapidHeaders : 0) != 0)
        return false;
    if (mode < CHECKARCHIVE_FULLCRC)
        return true;
    for (const MemberHeader& h : reader.index().members()) {
        if (MemberDecoder::decode(reader.file(), h, nullptr) != 0)
            return false;
    }
    return true;
}

} // namespace ArchiveCheck
