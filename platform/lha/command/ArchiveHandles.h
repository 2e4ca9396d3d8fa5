#pragma once

#include "platform/lha/command/unlha32.h"

#include <QString>

// The member search behind UnlhaOpenArchive and friends. Each handle holds
// its own copy of the archive's index, so handles never disturb each other;
// a handle that is not open (or already closed) is refused, not followed.
namespace ArchiveHandles {

UNLHA_HARC open(const QString& path);
int findFirst(UNLHA_HARC handle, const QString& wild, UnlhaIndividualInfo* info);
int findNext(UNLHA_HARC handle, UnlhaIndividualInfo* info);
int fileName(UNLHA_HARC handle, char* buffer, int size);
int close(UNLHA_HARC handle);

} // namespace ArchiveHandles
