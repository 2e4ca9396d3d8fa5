#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Small helpers of the archiver tests: calling the library, making files,
// reading a folder tree back, and running the independent LHA tools.
namespace LhaTestTools {

struct Run
{
    int result = 0;
    QByteArray output;
};

// Calls Unlha() with a large buffer.
Run unlha(const QString& commandLine);

bool writeFile(const QString& path, const QByteArray& data);
QByteArray readFile(const QString& path);
// Every file under `folder`, by path relative to it, with its contents.
QMap<QString, QByteArray> tree(const QString& folder);
// Every entry (files, folders, links) under `folder`, relative paths.
QStringList entries(const QString& folder);

// Runs a tool in `folder`; false when it fails or takes too long.
bool runTool(const QString& program, const QStringList& arguments, const QString& folder,
             QByteArray* output = nullptr);

QByteArray incompressible(qsizetype size, quint32 seed);
QByteArray text(qsizetype size);

} // namespace LhaTestTools
