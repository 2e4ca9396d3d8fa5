// A stand-in archiver library with scripted answers, for the wrapper's edge
// cases that the real library never produces (odd output lines, endless
// listings, names that fill the whole buffer). It lacks UnlhaCheckArchive on
// purpose: a missing function must be reported, not crash.

#include <cstring>
#include <string>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {
std::string gOutput;
int gResult = 0;
std::string gLastCommand;
int gListCount = 0;
std::string gListName;
bool gFillWholeBuffer = false;
int gListed = 0;
int gOpenHandles = 0;
bool gRefuseOpen = false;
} // namespace

FAKE_API void FakeUnlhaScript(const char* output, int length, int result)
{
    gOutput.assign(output, size_t(length));
    gResult = result;
}

FAKE_API void FakeUnlhaScriptList(int count, const char* name, int fillWholeBuffer, int refuseOpen)
{
    gListCount = count;
    gListName = name;
    gFillWholeBuffer = fillWholeBuffer != 0;
    gRefuseOpen = refuseOpen != 0;
}

FAKE_API const char* FakeUnlhaLastCommand()
{
    return gLastCommand.c_str();
}

FAKE_API int FakeUnlhaOpenHandles()
{
    return gOpenHandles;
}

FAKE_API int Unlha(void*, const char* cmdLine, char* output, unsigned long size)
{
    gLastCommand = cmdLine;
    std::memcpy(output, gOutput.data(), gOutput.size() < size ? gOutput.size() : size);
    return gResult;
}

FAKE_API unsigned short UnlhaGetVersion()
{
    return 321;
}

FAKE_API void* UnlhaOpenArchive(void*, const char*, unsigned long)
{
    if (gRefuseOpen)
        return nullptr;
    ++gOpenHandles;
    gListed = 0;
    return &gListed;
}

FAKE_API int UnlhaFindFirst(void*, const char*, void*)
{
    gListed = 0;
    return gListCount > 0 ? 0 : -1;
}

FAKE_API int UnlhaFindNext(void*, void*)
{
    return ++gListed < gListCount ? 0 : -1;
}

FAKE_API int UnlhaGetFileName(void*, char* buffer, int size)
{
    if (gFillWholeBuffer) {
        std::memset(buffer, 'n', size_t(size));
        return 0;
    }
    std::strncpy(buffer, gListName.c_str(), size_t(size) - 1);
    return 0;
}

FAKE_API int UnlhaCloseArchive(void*)
{
    --gOpenHandles;
    return 0;
}
