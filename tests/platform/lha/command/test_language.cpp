// The archiver's command language: how a line splits into arguments, which
// switches it knows, where archive, folder and names land, and the wildcard
// rules members are selected by.

#include "platform/lha/command/CommandLine.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/Wildcard.h"
#include "platform/lha/command/unlha32.h"

#include <QTest>

class TestLhaCommand : public QObject
{
    Q_OBJECT

private slots:
    void tokenize_data();
    void tokenize();
    void parse_data();
    void parse();
    void rejects_data();
    void rejects();
    void switches();
    void wildcard_data();
    void wildcard();
    void selection();
    void outputIsCutAndTerminated();
    void outputEscapesControlCharacters_data();
    void outputEscapesControlCharacters();
};

void TestLhaCommand::tokenize_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("tokens");
    QTest::newRow("several blanks") << "e   a.lzh    b" << QStringList{"e", "a.lzh", "b"};
    QTest::newRow("quoted blank") << "e \"C:\\Program Files\\a.lzh\""
                                  << QStringList{"e", "C:\\Program Files\\a.lzh"};
    QTest::newRow("backslash before closing quote")
        << "e \"C:\\A B\\Temp\\\" x" << QStringList{"e", "C:\\A B\\Temp\\", "x"};
    QTest::newRow("quote inside a word") << "e ab\"c d\"e" << QStringList{"e", "abc de"};
    QTest::newRow("tabs") << "l\ta.lzh" << QStringList{"l", "a.lzh"};
    QTest::newRow("empty quotes") << "e \"\" a" << QStringList{"e", "", "a"};
    QTest::newRow("unclosed quote runs to the end") << "e \"a b" << QStringList{"e", "a b"};
}

void TestLhaCommand::tokenize()
{
    QFETCH(QString, line);
    QFETCH(QStringList, tokens);
    QCOMPARE(CommandLine::tokenize(line), tokens);
}

void TestLhaCommand::parse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("names");

    const QString seventeen(17, QLatin1Char(' '));
    // ClassLHa's extraction line with the updater's 17 blanks as wildcard.
    QTest::newRow("updater extraction") << "e  \"/opt/up/PelmoraUP3.lzh\" \"/opt/up/\" " + seventeen << "e"
                                        << "/opt/up/PelmoraUP3.lzh"
                                        << "/opt/up/" << QStringList{};
    QTest::newRow("quoted blanks as wildcard") << "e a.lzh d/ \"" + seventeen + "\""
                                               << "e"
                                               << "a.lzh"
                                               << "d/" << QStringList{};
    // The verification archive's line, program folder holding a blank.
    QTest::newRow("update, blank in program folder")
        << "u  \"C:\\Prog Files\\Temp\\Qorlith.lzh\" \"C:\\Prog Files\\Temp\\\" \"C:\\Prog "
           "Files\\Temp\\*.*\" "
        << "u"
        << "C:/Prog Files/Temp/Qorlith.lzh"
        << "C:/Prog Files/Temp/" << QStringList{"C:/Prog Files/Temp/*.*"};
    QTest::newRow("update, bare paths")
        << "u  C:\\Prog\\Temp\\Qorlith.lzh C:\\Prog\\Temp\\ C:\\Prog\\Temp\\*.* "
        << "u"
        << "C:/Prog/Temp/Qorlith.lzh"
        << "C:/Prog/Temp/" << QStringList{"C:/Prog/Temp/*.*"};
    QTest::newRow("switches before and after") << "x -r a.lzh -m1 out/ *.txt -x1 b.dat"
                                               << "x"
                                               << "a.lzh"
                                               << "out/" << QStringList{"*.txt", "b.dat"};
    QTest::newRow("upper-case command") << "L A.LZH"
                                        << "l"
                                        << "A.LZH" << QString() << QStringList{};
    QTest::newRow("suffix added") << "t archive"
                                  << "t"
                                  << "archive.lzh" << QString() << QStringList{};
    QTest::newRow("folder only before names") << "e a.lzh x.txt sub/"
                                              << "e"
                                              << "a.lzh" << QString() << QStringList{"x.txt", "sub/"};
}

void TestLhaCommand::parse()
{
    QFETCH(QString, line);
    QFETCH(QString, command);
    QFETCH(QString, archive);
    QFETCH(QString, folder);
    QFETCH(QStringList, names);
    const auto parsed = CommandLine::parse(line);
    QVERIFY2(parsed.command.has_value(), qPrintable(parsed.message));
    QCOMPARE(QString(parsed.command->command), command);
    QCOMPARE(parsed.command->archive, archive);
    QCOMPARE(parsed.command->folder, folder);
    QCOMPARE(parsed.command->names, names);
}

void TestLhaCommand::rejects_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("error");
    QTest::newRow("empty") << "" << ERROR_COMMAND_NAME;
    QTest::newRow("blanks") << "    " << ERROR_COMMAND_NAME;
    QTest::newRow("unknown command") << "z a.lzh" << ERROR_COMMAND_NAME;
    QTest::newRow("word as command") << "extract a.lzh" << ERROR_COMMAND_NAME;
    QTest::newRow("unknown switch") << "e -q a.lzh" << ERROR_COMMAND_NAME;
    QTest::newRow("unknown switch after archive") << "e a.lzh -jm9" << ERROR_COMMAND_NAME;
    QTest::newRow("no archive") << "e -r" << ERROR_NOT_ARC_FILE;
}

void TestLhaCommand::rejects()
{
    QFETCH(QString, line);
    QFETCH(int, error);
    const auto parsed = CommandLine::parse(line);
    QVERIFY(!parsed.command.has_value());
    QCOMPARE(parsed.error, error);
    QVERIFY(!parsed.message.isEmpty());
}

void TestLhaCommand::switches()
{
    auto cmd = CommandLine::parse("a -jm0 -h1 -r a.lzh x").command;
    QVERIFY(cmd);
    QCOMPARE(cmd->method, 0);
    QCOMPARE(cmd->headerLevel, 1);
    QVERIFY(cmd->recursive);
    cmd = CommandLine::parse("a a.lzh -jm4 -h0 x").command;
    QCOMPARE(cmd->method, 7);
    QCOMPARE(cmd->headerLevel, 0);
    cmd = CommandLine::parse("a a.lzh -JM3 x").command;
    QCOMPARE(cmd->method, 6);
    QCOMPARE(cmd->headerLevel, 2);
    QVERIFY(!CommandLine::parse("e a.lzh").command->keepPaths);
    QVERIFY(CommandLine::parse("e -x1 a.lzh").command->keepPaths);
    QVERIFY(CommandLine::parse("x a.lzh").command->keepPaths);
}

void TestLhaCommand::wildcard_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("match");
    QTest::newRow("*.* with dot") << "*.*"
                                  << "a.txt" << true;
    QTest::newRow("*.* without dot") << "*.*"
                                     << "README" << true;
    QTest::newRow("*.* Japanese") << "*.*"
                                  << "02月18日fan.data" << true;
    QTest::newRow("case") << "*.TXT"
                          << "a.txt" << true;
    QTest::newRow("suffix mismatch") << "*.txt"
                                     << "a.dat" << false;
    QTest::newRow("question mark") << "a?.dat"
                                   << "ab.dat" << true;
    QTest::newRow("question mark needs a character") << "a?.dat"
                                                     << "a.dat" << false;
    QTest::newRow("name.* without suffix") << "readme.*"
                                           << "README" << true;
    QTest::newRow("several stars") << "*a*b*c"
                                   << "xxaxxbxxc" << true;
    QTest::newRow("backtracking miss") << "*a*b*c"
                                       << "xxaxxbxx" << false;
    QTest::newRow("exact") << "Oz.mdb"
                           << "oz.MDB" << true;
}

void TestLhaCommand::wildcard()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, match);
    QCOMPARE(Wildcard::matches(pattern, name), match);
}

void TestLhaCommand::selection()
{
    QVERIFY(Wildcard::selects({}, "sub/a.txt"));
    QVERIFY(Wildcard::selects({"*.txt"}, "sub/a.txt"));
    QVERIFY(Wildcard::selects({"sub\\*.txt"}, "sub/a.txt"));
    QVERIFY(!Wildcard::selects({"other/*.txt"}, "sub/a.txt"));
    QVERIFY(Wildcard::selects({"x.dat", "a.*"}, "sub/a.txt"));
}

void TestLhaCommand::outputIsCutAndTerminated()
{
    OutputText out;
    out.line("Melted 02月18日fan.data");
    out.line("Melted b");
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    out.copyTo(buffer, sizeof buffer);
    const QByteArray cut(buffer);
    QVERIFY(cut.size() < 16);
    QVERIFY(QByteArray(out.bytes()).startsWith(cut));
    // Never half a character: the cut text still decodes cleanly.
    QCOMPARE(QString::fromUtf8(cut).toUtf8(), cut);
    char big[128];
    out.copyTo(big, sizeof big);
    QCOMPARE(QByteArray(big), QByteArray("Melted 02月18日fan.data\nMelted b\n"));
    out.copyTo(big, 1);
    QCOMPARE(big[0], '\0');
}

void TestLhaCommand::outputEscapesControlCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("line feed") << "Error a\nMelted ../evil" << QByteArray("Error a<0A>Melted ../evil\n");
    QTest::newRow("carriage return, tab") << "a\rb\tc" << QByteArray("a<0D>b<09>c\n");
    QTest::newRow("NUL") << QString(QChar(0)) + "x" << QByteArray("<00>x\n");
    QTest::newRow("escape and DEL") << "\x1b[2J\x7f" << QByteArray("<1B>[2J<7F>\n");
    QTest::newRow("Unicode line breaks")
        << QString(QChar(0x85)) + QChar(0x2028) << QByteArray("<85><2028>\n");
    QTest::newRow("Japanese unchanged") << "Melted 検証データ.txt" << QByteArray("Melted 検証データ.txt\n");
}

void TestLhaCommand::outputEscapesControlCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, line);
    OutputText out;
    out.line(text);
    QCOMPARE(out.bytes(), line);
}

QTEST_GUILESS_MAIN(TestLhaCommand)
#include "test_language.moc"
