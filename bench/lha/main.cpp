// Command-line driver for the LHA benchmark (run.sh): compresses a list of files with our encoder, or
// extracts an archive with liblhasa, so that both can be timed against the peer tools.
//   bench_lha compress METHOD(0|5|6|7) LEVEL THREADS ARCHIVE BASEDIR FILE...
//   bench_lha extract ARCHIVE OUTDIR          liblhasa alone, CRC checked
//   bench_lha unlha "COMMAND LINE"            one command of our archiver library
#include "platform/lha/command/unlha32.h"
#include "platform/lha/compressor/LhaWriter.h"
#include "platform/lha/format/Crc16.h"
#include "platform/text/LegacyText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <lhasa.h>

namespace {

int compress(const QStringList& args)
{
    if (args.size() < 6)
        return 2;
    LhaWriteOptions options;
    const QString m = args[0];
    options.method = m == "0"   ? LhaMethod::Lh0
                     : m == "6" ? LhaMethod::Lh6
                     : m == "7" ? LhaMethod::Lh7
                                : LhaMethod::Lh5;
    options.headerLevel = args[1].toInt();
    options.threads = args[2].toInt();
    const QDir base(args[4]);
    QList<LhaMemberSource> members;
    for (const QString& rel : args.mid(5)) {
        LhaMemberSource source;
        source.localPath = base.filePath(rel);
        const QFileInfo info(source.localPath);
        source.info.nameCp932 = LegacyText::encodeLossy(rel);
        source.info.modified = info.lastModified();
        source.info.isDirectory = info.isDir();
        members.append(source);
    }
    QSaveFile out(args[3]);
    QString error;
    if (!out.open(QIODevice::WriteOnly) || !LhaWriter::writeMembers(members, options, out, &error) ||
        !LhaWriter::writeEndOfArchive(out, &error) || !out.commit()) {
        std::fprintf(stderr, "bench_lha: %s\n", qPrintable(error.isEmpty() ? out.errorString() : error));
        return 1;
    }
    return 0;
}

int extract(const QStringList& args)
{
    if (args.size() != 2)
        return 2;
    QByteArray archive = QFile::encodeName(args[0]);
    LHAInputStream* stream = lha_input_stream_from(archive.data());
    if (!stream)
        return 1;
    LHAReader* reader = lha_reader_new(stream);
    const QDir outDir(args[1]);
    int status = 0;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    while (LHAFileHeader* header = lha_reader_next_file(reader)) {
        const QString path = QString::fromLocal8Bit(QByteArray(header->path ? header->path : "") +
                                                    QByteArray(header->filename ? header->filename : ""));
        if (path.contains(QStringLiteral("..")) || QDir::isAbsolutePath(path)) {
            status = 1;
            continue;
        }
        if (QByteArray(header->compress_method) == "-lhd-") {
            outDir.mkpath(path);
            continue;
        }
        outDir.mkpath(QFileInfo(path).path());
        QSaveFile file(outDir.filePath(path));
        if (!file.open(QIODevice::WriteOnly)) {
            status = 1;
            continue;
        }
        quint16 crc = 0;
        size_t total = 0;
        for (;;) {
            const size_t got = lha_reader_read(reader, buffer.data(), size_t(buffer.size()));
            if (got == 0)
                break;
            crc = Crc16::update(crc, buffer.constData(), qsizetype(got));
            file.write(buffer.constData(), qint64(got));
            total += got;
        }
        if (total != header->length || crc != header->crc) {
            std::fprintf(stderr, "bench_lha: %s: bad data\n", qPrintable(path));
            status = 1;
            continue;
        }
        file.commit();
    }
    lha_reader_free(reader);
    lha_input_stream_free(stream);
    return status;
}

int runUnlha(const QStringList& args)
{
    if (args.size() != 1)
        return 2;
    QByteArray output(1 << 16, '\0');
    const int result = Unlha(nullptr, args[0].toLocal8Bit().constData(), output.data(), ulong(output.size()));
    if (result != 0)
        std::fprintf(stderr, "bench_lha: Unlha returned 0x%x\n%s\n", result, output.constData());
    return result == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == "compress")
        return compress(args.mid(1));
    if (args.value(0) == "extract")
        return extract(args.mid(1));
    if (args.value(0) == "unlha")
        return runUnlha(args.mid(1));
    std::fprintf(stderr, "usage: bench_lha compress|extract ...\n");
    return 2;
}
