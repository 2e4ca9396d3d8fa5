#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// One command line of the LHA command language, parsed: the command letter,
// then switches anywhere, the archive, an optional base or destination folder
// (a name ending in '\' or '/') and names or wildcards. Quotation marks group
// blanks; '\' is a path separator, never an escape, so "C:\Temp\" is a
// folder. Blank or empty names are dropped: no names means every member.
struct LhaCommand
{
    QChar command; // lower case: a u d e x l v t
    bool recursive = false;
    bool keepPaths = false; // x, or e with -x1
    int method = 5;         // 0 (store), 5, 6 or 7
    int headerLevel = 2;
    QString archive;   // as written, '\' turned into '/'
    QString folder;    // base or destination folder, ends in '/' when given
    QStringList names; // '\' turned into '/'
};

namespace CommandLine {

// Splits a line into arguments the way the archiver reads it.
QStringList tokenize(const QString& line);

struct ParseResult
{
    std::optional<LhaCommand> command;
    int error = 0; // archiver result code when command is empty
    QString message;
};

ParseResult parse(const QString& line);

} // namespace CommandLine
