#include "tests/platform/lha/support/LhaTestTools.h"

#include "platform/lha/command/unlha32.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

namespace LhaTestTools {

Run unlha(const QString& commandLine)
{
    QByteArray buffer(64 * 1024, '\0');
    Run run;
    run.result = Unlha(nullptr, commandLine.toLocal8Bit().constData(), buffer.data(), buffer.size());
    run.output = buffer.left(buffer.indexOf('\0'));
    return run;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QMap<QString, QByteArray> tree(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.insert(QDir(folder).relativeFilePath(it.filePath()), readFile(it.filePath()));
    }
    return files;
}

QStringList entries(const QString& folder)
{
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        all.append(QDir(folder).relativeFilePath(it.filePath()));
    }
    all.sort();
    return all;
}

bool runTool(const QString& program, const QStringList& arguments, const QString& folder, QByteArray* output)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray incompressible(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char& c : data)
        c = char(random.generate() & 0xff);
    return data;
}

QByteArray text(qsizetype size)
{
    QByteArray data;
    for (int line = 0; data.size() < size; ++line)
        data += "Line " + QByteArray::number(line) + " of the verification data, 検証データ\r\n";
    data.truncate(size);
    return data;
}

} // namespace LhaTestTools
