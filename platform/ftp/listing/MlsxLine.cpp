#include "platform/ftp/listing/MlsxLine.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

enum class Kind
{
    Unknown,
    File,
    Directory,
    Current,
    Parent,
    Symlink,
    Other
};

bool sameText(QByteArrayView a, QByteArrayView lowerCase)
{
    return a.compare(lowerCase, Qt::CaseInsensitive) == 0;
}

Kind parseKind(QByteArrayView value)
{
    if (sameText(value, "file"))
        return Kind::File;
    if (sameText(value, "dir"))
        return Kind::Directory;
    if (sameText(value, "cdir"))
        return Kind::Current;
    if (sameText(value, "pdir"))
        return Kind::Parent;
    // "OS.unix=slink:/target" and "OS.unix=symlink" name links; other OS types
    // (devices, sockets) are listed as plain entries.
    const QByteArrayView unixPrefix = "os.unix=";
    if (value.size() > unixPrefix.size() && sameText(value.first(unixPrefix.size()), unixPrefix)) {
        const QByteArrayView unixType = value.sliced(unixPrefix.size());
        const qsizetype colon = unixType.indexOf(':');
        const QByteArrayView word = colon < 0 ? unixType : unixType.first(colon);
        if (sameText(word, "slink") || sameText(word, "symlink"))
            return Kind::Symlink;
    }
    return Kind::Other;
}

// "YYYYMMDDHHMMSS" with optional ".sss", in UTC as the listing gives it.
QDateTime parseFactTime(QByteArrayView value)
{
    const qsizetype dot = value.indexOf('.');
    if (dot >= 0) {
        if (!parseCount(value.sliced(dot + 1)))
            return {};
        value = value.first(dot);
    }
    if (value.size() != 14 || !parseCount(value))
        return {};
    const auto number = [&](qsizetype at, qsizetype length) {
        return int(*parseCount(value.sliced(at, length)));
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const int hour = number(8, 2);
    const int minute = number(10, 2);
    const int second = qMin(number(12, 2), 59); // a leap second stays in its minute
    if (!QTime::isValid(hour, minute, second))
        return {};
    return wallClock(date, (hour * 60 + minute) * 60 + second);
}

struct Facts
{
    Kind kind = Kind::Unknown;
    std::optional<qint64> size;
    QDateTime modified;
    QDateTime created;
    std::optional<QByteArrayView> perm;
    std::optional<int> unixMode;
};

Facts parseFacts(QByteArrayView text)
{
    Facts facts;
    while (!text.isEmpty()) {
        qsizetype semicolon = text.indexOf(';');
        if (semicolon < 0)
            semicolon = text.size();
        const QByteArrayView fact = text.first(semicolon);
        text = text.sliced(qMin(semicolon + 1, text.size()));
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView name = fact.first(equals);
        const QByteArrayView value = fact.sliced(equals + 1);
        if (sameText(name, "type"))
            facts.kind = parseKind(value);
        else if (sameText(name, "size"))
            facts.size = parseCount(value);
        else if (sameText(name, "modify"))
            facts.modified = parseFactTime(value);
        else if (sameText(name, "create"))
            facts.created = parseFactTime(value);
        else if (sameText(name, "perm"))
            facts.perm = value;
        else if (sameText(name, "unix.mode"))
            facts.unixMode = parseOctalMode(value);
    }
    return facts;
}

bool isReadOnly(const Facts& facts, bool directory)
{
    if (facts.perm) {
        const auto allows = [&](char right) {
            return facts.perm->contains(right) || facts.perm->contains(char(right - 'a' + 'A'));
        };
        return directory ? !allows('c') && !allows('m') : !allows('w') && !allows('a');
    }
    if (facts.unixMode)
        return (*facts.unixMode & 0200) == 0;
    return false;
}

// An MLST reply line starts with a blank before its facts.
QByteArrayView withoutMlstIndent(QByteArrayView line)
{
    if (!line.startsWith(' '))
        return line;
    const QByteArrayView rest = line.sliced(1);
    const qsizetype equals = rest.indexOf('=');
    const qsizetype semicolon = rest.indexOf(';');
    return !rest.isEmpty() && !isBlank(rest[0]) && equals > 0 && semicolon > equals ? rest : line;
}

// Where the facts end: after the ";" that a blank or a TAB follows. Facts are
// read whole, so that a blank inside a value ("UNIX.owner=John Doe;") does not
// end them; without any ";" (drafts before mlst-07) the first blank does.
// The returned offset is that of the separating character.
std::optional<qsizetype> factsEnd(QByteArrayView line)
{
    qsizetype at = 0;
    while (at < line.size()) {
        if (isBlank(line[at]))
            return at;
        const qsizetype semicolon = line.indexOf(';', at);
        if (semicolon < 0)
            break;
        at = semicolon + 1;
    }
    // No ";" before a separator: the facts, if any, end at the first blank.
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (isBlank(line[i]))
            return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<FtpEntry> parseMlsxLine(QByteArrayView line, FtpNameEncoding encoding)
{
    line = withoutMlstIndent(line);
    const auto end = factsEnd(line);
    if (!end)
        return std::nullopt;
    const qsizetype blank = *end;
    const Facts facts = parseFacts(line.first(blank));

    QByteArrayView name = line.sliced(blank + 1);
    if (facts.kind == Kind::Current)
        name = ".";
    else if (facts.kind == Kind::Parent)
        name = "..";
    auto entry = namedEntry(name, encoding);
    if (!entry)
        return std::nullopt;

    entry->isDirectory =
        facts.kind == Kind::Directory || facts.kind == Kind::Current || facts.kind == Kind::Parent;
    entry->isSymlink = facts.kind == Kind::Symlink;
    entry->readOnly = isReadOnly(facts, entry->isDirectory);
    entry->size = entry->isDirectory ? 0 : facts.size.value_or(0);
    entry->modified = facts.modified;
    entry->created = facts.created;
    return entry;
}

} // namespace FtpListing
