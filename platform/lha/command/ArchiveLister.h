#pragma once

#include "platform/lha/command/CommandLine.h"

class OutputText;

// The l and v commands (one line per selected member) and t (decode every
// selected member and check its CRC without writing anything).
namespace ArchiveLister {

int list(const LhaCommand& command, OutputText& out);
int test(const LhaCommand& command, OutputText& out);

} // namespace ArchiveLister
