// The exported C entry points: convert text at the boundary and keep every
// C++ exception inside the library.

#include "platform/lha/command/ArchiveCheck.h"
#include "platform/lha/command/ArchiveHandles.h"
#include "platform/lha/command/CommandRunner.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/unlha32.h"

#include <new>

namespace {

constexpr unsigned short kVersion = 100; // 1.00

QString fromOs(const char* text)
{
    return text ? QString::fromLocal8Bit(text) : QString();
}

} // namespace

extern "C" {

UNLHA_API int Unlha(void* /*hwnd*/, const char* cmdLine, char* output, unsigned long size)
{
    OutputText out;
    int result = ERROR_ENOUGH_MEMORY;
    try {
        result = CommandRunner::run(fromOs(cmdLine), out);
    } catch (const std::bad_alloc&) {
        out.line(QStringLiteral("Out of memory"));
    } catch (...) {
        out.line(QStringLiteral("Internal error"));
        result = ERROR_CANNOT_READ;
    }
    out.copyTo(output, size);
    return result;
}

UNLHA_API unsigned short UnlhaGetVersion(void)
{
    return kVersion;
}

UNLHA_API int UnlhaCheckArchive(const char* path, int mode)
{
    try {
        return ArchiveCheck::isSound(fromOs(path), mode) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

UNLHA_API UNLHA_HARC UnlhaOpenArchive(void* /*hwnd*/, const char* path, unsigned long /*mode*/)
{
    try {
        return ArchiveHandles::open(fromOs(path));
    } catch (...) {
        return nullptr;
    }
}

UNLHA_API int UnlhaFindFirst(UNLHA_HARC harc, const char* wild, UnlhaIndividualInfo* info)
{
    try {
        return ArchiveHandles::findFirst(harc, fromOs(wild), info);
    } catch (...) {
        return ERROR_ENOUGH_MEMORY;
    }
}

UNLHA_API int UnlhaFindNext(UNLHA_HARC harc, UnlhaIndividualInfo* info)
{
    try {
        return ArchiveHandles::findNext(harc, info);
    } catch (...) {
        return ERROR_ENOUGH_MEMORY;
    }
}

UNLHA_API int UnlhaGetFileName(UNLHA_HARC harc, char* buffer, int size)
{
    try {
        return ArchiveHandles::fileName(harc, buffer, size);
    } catch (...) {
        return ERROR_ENOUGH_MEMORY;
    }
}

UNLHA_API int UnlhaCloseArchive(UNLHA_HARC harc)
{
    try {
        return ArchiveHandles::close(harc);
    } catch (...) {
        return ERROR_HARC_ISNOT_OPENED;
    }
}

} // extern "C"
