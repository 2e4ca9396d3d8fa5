#pragma once

#include "platform/lha/command/unlha32.h"

#include <QString>
#include <stdexcept>

// Raised when the archiver library or one of its functions cannot be found.
class UnlhaBindingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The archiver library, loaded at its first use: first from the program's
// own folder, then by name through the system's search. A missing library
// never stops a program from starting; the call that needs it raises
// UnlhaBindingError.
namespace UnlhaBinding {

int unlha(void* hwnd, const QByteArray& cmdLine, char* output, unsigned long size);
unsigned short getVersion();
int checkArchive(const QByteArray& path, int mode);
UNLHA_HARC openArchive(void* hwnd, const QByteArray& path, unsigned long mode);
int findFirst(UNLHA_HARC harc, const QByteArray& wild, UnlhaIndividualInfo* info);
int getFileName(UNLHA_HARC harc, char* buffer, int size);
int findNext(UNLHA_HARC harc, UnlhaIndividualInfo* info);
int closeArchive(UNLHA_HARC harc);

// Tests: load from this exact file instead (empty: back to the normal
// search). Forgets what was bound before.
void setLibraryPathForTesting(const QString& path);

} // namespace UnlhaBinding
