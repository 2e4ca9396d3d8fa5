#pragma once

#include "platform/lha/command/CommandLine.h"

class OutputText;

// The e and x commands: every selected member is decoded into a temporary
// file beside its destination and renamed into place only when its length
// and CRC matched. Names are checked first and every output path is built
// here, inside the destination folder; folders on the way that are symbolic
// links stop the member. A member that fails leaves nothing behind (neither
// its file nor the folders made for it) and makes the result an error; the
// other members are still extracted. Folders named "./" are passed over.
namespace Extractor {

int run(const LhaCommand& command, OutputText& out);

} // namespace Extractor
