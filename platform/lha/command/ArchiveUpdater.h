#pragma once

#include "platform/lha/command/CommandLine.h"

class OutputText;

// The a, u and d commands. The new archive is written to a temporary file
// beside the old one: members that stay are copied byte for byte, new ones
// are compressed, and the result replaces the archive only when complete.
// A command that fails leaves the old archive (or none) as it was.
namespace ArchiveUpdater {

// a: add or replace; u: add files that are new or newer than the stored
// copy. The archive is created when absent.
int add(const LhaCommand& command, OutputText& out);
// d: delete the named members; an archive left without members is removed.
int remove(const LhaCommand& command, OutputText& out);

} // namespace ArchiveUpdater
