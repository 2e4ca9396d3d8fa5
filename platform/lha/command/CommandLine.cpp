#include "platform/lha/command/CommandLine.h"

#include "platform/lha/command/unlha32.h"

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

QString toSlashes(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s;
}

bool endsWithSeparator(const QString& s)
{
    return s.endsWith(QLatin1Char('/')) || s.endsWith(QLatin1Char('\\'));
}

CommandLine::ParseResult failure(int code, const QString& message)
{
    CommandLine::ParseResult r;
    r.error = code;
    r.message = message;
    return r;
}

// Applies one switch (without its leading '-'); false when unknown.
bool applySwitch(const QString& sw, LhaCommand& cmd)
{
    const QString s = sw.toLower();
    if (s == QLatin1String("r") || s == QLatin1String("r1") || s == QLatin1String("r2")) {
        cmd.recursive = true;
        return true;
    }
    if (s == QLatin1String("r0")) {
        cmd.recursive = false;
        return true;
    }
    if (s == QLatin1String("x") || s == QLatin1String("x1")) {
        cmd.keepPaths = true;
        return true;
    }
    if (s == QLatin1String("x0")) {
        cmd.keepPaths = false;
        return true;
    }
    // The library never asks, so the "do not ask" and display switches
    // change nothing; they are accepted because callers pass them.
    static const QStringList kQuiet = {QStringLiteral("m"),  QStringLiteral("m0"), QStringLiteral("m1"),
                                       QStringLiteral("m2"), QStringLiteral("n"),  QStringLiteral("n0"),
                                       QStringLiteral("n1"), QStringLiteral("n2"), QStringLiteral("c"),
                                       QStringLiteral("c0"), QStringLiteral("c1")};
    if (kQuiet.contains(s))
        return true;
    if (s.size() == 3 && s.startsWith(QLatin1String("jm"))) {
        const QChar m = s.at(2);
        if (m == QLatin1Char('0') || (m >= QLatin1Char('2') && m <= QLatin1Char('4'))) {
            static const int kMethods[] = {0, 0, 5, 6, 7};
            cmd.method = kMethods[m.digitValue()];
            return true;
        }
        return false;
    }
    if (s.size() == 2 && s.at(0) == QLatin1Char('h') && s.at(1) >= QLatin1Char('0') &&
        s.at(1) <= QLatin1Char('2')) {
        cmd.headerLevel = s.at(1).digitValue();
        return true;
    }
    return false;
}

} // namespace

namespace CommandLine {

QStringList tokenize(const QString& line)
{
    QStringList tokens;
    QString current;
    bool inToken = false;
    bool quoted = false;
    for (QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inToken = true;
        } else if (!quoted && isBlank(c)) {
            if (inToken)
                tokens.append(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken)
        tokens.append(current);
    return tokens;
}

ParseResult parse(const QString& line)
{
    const QStringList tokens = tokenize(line);
    if (tokens.isEmpty())
        return failure(ERROR_COMMAND_NAME, QStringLiteral("no command"));
    const QString verb = tokens.first().toLower();
    static const QString kCommands = QStringLiteral("audexlvt");
    if (verb.size() != 1 || !kCommands.contains(verb.at(0)))
        return failure(ERROR_COMMAND_NAME, QStringLiteral("unknown command: %1").arg(tokens.first()));

    LhaCommand cmd;
    cmd.command = verb.at(0);
    cmd.keepPaths = cmd.command == QLatin1Char('x');
    bool haveArchive = false;
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        const QString& token = tokens.at(i);
        if (token.trimmed().isEmpty())
            continue; // a quoted run of blanks names nothing
        if (token.startsWith(QLatin1Char('-')) && token.size() > 1) {
            if (!applySwitch(token.mid(1), cmd))
                return failure(ERROR_COMMAND_NAME, QStringLiteral("unknown switch: %1").arg(token));
            continue;
        }
        if (!haveArchive) {
            cmd.archive = toSlashes(token);
            haveArchive = true;
        } else if (cmd.folder.isEmpty() && cmd.names.isEmpty() && endsWithSeparator(token)) {
            cmd.folder = toSlashes(token);
        } else {
            cmd.names.append(toSlashes(token));
        }
    }
    if (cmd.command == QLatin1Char('x'))
        cmd.keepPaths = true;
    if (!haveArchive)
        return failure(ERROR_NOT_ARC_FILE, QStringLiteral("no archive named"));
    // An archive named without a suffix is an .lzh file, as archivers have it.
    const QString base = cmd.archive.section(QLatin1Char('/'), -1);
    if (!base.isEmpty() && !base.contains(QLatin1Char('.')))
        cmd.archive += QStringLiteral(".lzh");
    ParseResult r;
    r.command = cmd;
    return r;
}

} // namespace CommandLine
