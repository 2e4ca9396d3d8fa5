#include "LhaContents.h"

#include "platform/text/LegacyText.h"

#include <QFile>
#include <cstdio>
#include <lhasa.h>

LhaContents LhaContents::read(const QString& archivePath)
{
    LhaContents contents;
    QByteArray path = QFile::encodeName(archivePath);
    FILE* file = std::fopen(path.constData(), "rb");
    if (!file) {
        contents.error = QStringLiteral("cannot open ") + archivePath;
        return contents;
    }
    LHAInputStream* stream = lha_input_stream_from_FILE(file);
    LHAReader* reader = lha_reader_new(stream);
    for (;;) {
        LHAFileHeader* header = lha_reader_next_file(reader);
        if (!header)
            break;
        QByteArray name;
        if (header->path)
            name = header->path;
        if (header->filename)
            name += header->filename;
        QByteArray body;
        char buffer[16384];
        size_t got = 0;
        while ((got = lha_reader_read(reader, buffer, sizeof buffer)) > 0)
            body.append(buffer, static_cast<qsizetype>(got));
        if (static_cast<size_t>(body.size()) != header->length)
            contents.error = QStringLiteral("short member ") + LegacyText::decode(name);
        contents.members.insert(LegacyText::decode(name), body);
    }
    // lha_reader_next_file also stops at a broken header: make sure the end was reached.
    contents.ok = contents.error.isEmpty() && std::feof(file) != 0;
    if (!contents.ok && contents.error.isEmpty())
        contents.error = QStringLiteral("archive not read to its end");
    lha_reader_free(reader);
    lha_input_stream_free(stream);
    std::fclose(file);
    return contents;
}
