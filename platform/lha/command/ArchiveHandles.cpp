#include "platform/lha/command/ArchiveHandles.h"

#include "platform/lha/command/ArchiveReader.h"
#include "platform/lha/command/CommandLine.h"
#include "platform/lha/command/PrintableText.h"
#include "platform/lha/command/Wildcard.h"
#include "platform/lha/format/HeaderTime.h"
#include "platform/lha/format/MemberPath.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct Search
{
    QList<MemberHeader> members;
    QStringList names;
    QStringList patterns;
    qsizetype current = -1;
    bool searching = false;
};

QMutex gMutex;
std::map<quintptr, std::unique_ptr<Search>> gOpen;
quintptr gNextId = 1;

Search* lookup(UNLHA_HARC handle)
{
    const auto it = gOpen.find(reinterpret_cast<quintptr>(handle));
    return it == gOpen.end() ? nullptr : it->second.get();
}

void copyText(char* out, size_t size, const QByteArray& text)
{
    const size_t n = qMin(size - 1, size_t(text.size()));
    std::memcpy(out, text.constData(), n);
    out[n] = '\0';
}

void fill(const Search& s, UnlhaIndividualInfo* info)
{
    if (!info)
        return;
    std::memset(info, 0, sizeof(*info));
    const MemberHeader& h = s.members[s.current];
    info->originalSize = quint32(h.originalSize);
    info->compressedSize = quint32(h.packedSize);
    info->crc = h.crc;
    info->osType = h.osType;
    info->ratio = h.originalSize ? quint16(qMin<quint64>(h.packedSize * 1000 / h.originalSize, 0xffff)) : 0;
    if (h.modified.isValid()) {
        info->date = HeaderTime::dosDate(h.modified);
        info->time = HeaderTime::dosTime(h.modified);
    }
    copyText(info->fileName, sizeof(info->fileName),
             PrintableText::escaped(s.names[s.current]).toLocal8Bit());
    copyText(info->mode, sizeof(info->mode), h.method);
    copyText(info->attribute, sizeof(info->attribute), h.isDirectory() ? "d---" : "----");
}

int advance(Search& s, UnlhaIndividualInfo* info)
{
    while (++s.current < s.members.size()) {
        if (Wildcard::selects(s.patterns, s.names[s.current])) {
            fill(s, info);
            return 0;
        }
    }
    s.current = s.members.size();
    return -1;
}

} // namespace

namespace ArchiveHandles {

UNLHA_HARC open(const QString& path)
{
    ArchiveReader reader;
    if (reader.open(path) != 0)
        return nullptr;
    auto search = std::make_unique<Search>();
    search->members = reader.index().members();
    for (const MemberHeader& h : search->members)
        search->names.append(QDir::toNativeSeparators(MemberPath::fromRaw(h.rawPath).display()));
    QMutexLocker lock(&gMutex);
    const quintptr id = gNextId++;
    gOpen.emplace(id, std::move(search));
    return reinterpret_cast<UNLHA_HARC>(id);
}

int findFirst(UNLHA_HARC handle, const QString& wild, UnlhaIndividualInfo* info)
{
    QMutexLocker lock(&gMutex);
    Search* s = lookup(handle);
    if (!s)
        return ERROR_HARC_ISNOT_OPENED;
    s->patterns.clear();
    for (const QString& p : CommandLine::tokenize(wild)) {
        if (!p.trimmed().isEmpty())
            s->patterns.append(p);
    }
    s->current = -1;
    s->searching = true;
    return advance(*s, info);
}

int findNext(UNLHA_HARC handle, UnlhaIndividualInfo* info)
{
    QMutexLocker lock(&gMutex);
    Search* s = lookup(handle);
    if (!s)
        return ERROR_HARC_ISNOT_OPENED;
    if (!s->searching)
        return ERROR_NOT_SEARCH_MODE;
    if (s->current >= s->members.size())
        return -1;
    return advance(*s, info);
}

int fileName(UNLHA_HARC handle, char* buffer, int size)
{
    QMutexLocker lock(&gMutex);
    Search* s = lookup(handle);
    if (!s)
        return ERROR_HARC_ISNOT_OPENED;
    if (!s->searching || s->current < 0 || s->current >= s->members.size())
        return ERROR_NOT_SEARCH_MODE;
    if (!buffer || size <= 0)
        return ERROR_ENOUGH_MEMORY;
    const QByteArray name = PrintableText::escaped(s->names[s->current]).toLocal8Bit();
    if (name.size() >= size) {
        // Cut at a character boundary so that what is there stays readable.
        qsizetype n = size - 1;
        while (n > 0 && (quint8(name[n]) & 0xC0) == 0x80)
            --n;
        std::memcpy(buffer, name.constData(), size_t(n));
        buffer[n] = '\0';
        return ERROR_LONG_FILE_NAME;
    }
    copyText(buffer, size_t(size), name);
    return 0;
}

int close(UNLHA_HARC handle)
{
    QMutexLocker lock(&gMutex);
    return gOpen.erase(reinterpret_cast<quintptr>(handle)) ? 0 : ERROR_HARC_ISNOT_OPENED;
}

} // namespace ArchiveHandles
