#include "platform/lha/binding/UnlhaBinding.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>
#include <memory>

namespace {

#ifdef Q_OS_WIN
const char* const kFileName = "unlha32.dll";
const char* const kBareName = "unlha32";
#else
const char* const kFileName = "libunlha32.so";
const char* const kBareName = "unlha32";
#endif

QMutex gMutex;
std::unique_ptr<QLibrary> gLibrary;
QString gOverride;

QLibrary& library()
{
    if (gLibrary && gLibrary->isLoaded())
        return *gLibrary;
    QStringList tried;
    auto attempt = [&](const QString& name) {
        auto lib = std::make_unique<QLibrary>(name);
        if (lib->load()) {
            gLibrary = std::move(lib);
            return true;
        }
        tried.append(lib->errorString());
        return false;
    };
    if (!gOverride.isEmpty()) {
        if (attempt(gOverride))
            return *gLibrary;
    } else {
        // QLibrary does not look in the program's folder by itself.
        if (QCoreApplication::instance()) {
            const QString local =
                QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kFileName);
            if (QFileInfo::exists(local) && attempt(local))
                return *gLibrary;
        }
        if (attempt(QLatin1String(kBareName)))
            return *gLibrary;
    }
    throw UnlhaBindingError("The archiver library " + std::string(kFileName) +
                            " cannot be loaded: " + tried.join(QStringLiteral("; ")).toStdString());
}

template <typename Fn> Fn resolve(const char* name)
{
    QMutexLocker lock(&gMutex);
    QLibrary& lib = library();
    auto fn = reinterpret_cast<Fn>(lib.resolve(name));
    if (!fn)
        throw UnlhaBindingError(std::string("The archiver library has no function ") + name);
    return fn;
}

} // namespace

namespace UnlhaBinding {

int unlha(void* hwnd, const QByteArray& cmdLine, char* output, unsigned long size)
{
    using Fn = int (*)(void*, const char*, char*, unsigned long);
    return resolve<Fn>("Unlha")(hwnd, cmdLine.constData(), output, size);
}

unsigned short getVersion()
{
    using Fn = unsigned short (*)();
    return resolve<Fn>("UnlhaGetVersion")();
}

int checkArchive(const QByteArray& path, int mode)
{
    using Fn = int (*)(const char*, int);
    return resolve<Fn>("UnlhaCheckArchive")(path.constData(), mode);
}

UNLHA_HARC openArchive(void* hwnd, const QByteArray& path, unsigned long mode)
{
    using Fn = UNLHA_HARC (*)(void*, const char*, unsigned long);
    return resolve<Fn>("UnlhaOpenArchive")(hwnd, path.constData(), mode);
}

int findFirst(UNLHA_HARC harc, const QByteArray& wild, UnlhaIndividualInfo* info)
{
    using Fn = int (*)(UNLHA_HARC, const char*, UnlhaIndividualInfo*);
    return resolve<Fn>("UnlhaFindFirst")(harc, wild.constData(), info);
}

int getFileName(UNLHA_HARC harc, char* buffer, int size)
{
    using Fn = int (*)(UNLHA_HARC, char*, int);
    return resolve<Fn>("UnlhaGetFileName")(harc, buffer, size);
}

int findNext(UNLHA_HARC harc, UnlhaIndividualInfo* info)
{
    using Fn = int (*)(UNLHA_HARC, UnlhaIndividualInfo*);
    return resolve<Fn>("UnlhaFindNext")(harc, info);
}

int closeArchive(UNLHA_HARC harc)
{
    using Fn = int (*)(UNLHA_HARC);
    return resolve<Fn>("UnlhaCloseArchive")(harc);
}

void setLibraryPathForTesting(const QString& path)
{
    QMutexLocker lock(&gMutex);
    gLibrary.reset();
    gOverride = path;
}

} // namespace UnlhaBinding
