// SPDX-License-Identifier: MIT
#include "scriptparser.h"
#include "scriptwriter.h"

#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(ScriptCommand)

class tst_Script : public QObject
{
    Q_OBJECT

private slots:
    void commandsCarryTheirLineNamesAndNumbers();
    void numbersAreDecimalOrHexadecimalWithinSixtyFourBits_data();
    void numbersAreDecimalOrHexadecimalWithinSixtyFourBits();
    void badLinesAreReportedWithTheirLineAndWhat_data();
    void badLinesAreReportedWithTheirLineAndWhat();
    void writtenCommandsReadBackAsTheSameCommand_data();
    void writtenCommandsReadBackAsTheSameCommand();
    void writerRefusesWhatWouldNotReadBack_data();
    void writerRefusesWhatWouldNotReadBack();
};

void tst_Script::commandsCarryTheirLineNamesAndNumbers()
{
    const QString text = QStringLiteral("# a comment line\n"
                                        "product 0x28\r\n"
                                        "\n"
                                        "open   1   # motor one\n"
                                        "set cmbRelativeTo \"target position\"\n"
                                        "hover RAMPER_V1 leave\n"
                                        "device FOC_PID_POSITION_TARGET -2147483648\n"
                                        "advance 2500\n"
                                        "reply status=100 command=read type=FOC_PID_POSITION_ACTUAL value=0xFFFFFFFF\n"
                                        "export CommMode 1\n"
                                        "print tool toolVisible\n"
                                        "open\n"
                                        "show\n"
                                        "journal\n");
    QList<ScriptCommand> commands;
    ScriptParser::Error error;
    QVERIFY2(ScriptParser::parse(text, &commands, &error), qPrintable(error.message));
    // "line:kind name|text|number|enter|fields"
    QStringList read;
    for (const ScriptCommand& c : qAsConst(commands)) {
        QStringList fields;
        for (const auto& field : c.fields)
            fields << field.first + '=' + field.second;
        read << QStringLiteral("%1:%2 %3|%4|%5|%6|%7")
                    .arg(c.line)
                    .arg(c.kind)
                    .arg(c.name, c.text)
                    .arg(c.number)
                    .arg(c.enter)
                    .arg(fields.join(' '));
    }
    QCOMPARE(read, QStringList({"2:0 ||40|0|", "4:1 ||1|0|", "5:4 cmbRelativeTo|target position|0|0|",
                                "6:6 RAMPER_V1||0|0|", "7:7 FOC_PID_POSITION_TARGET||-2147483648|0|", "8:8 ||2500|0|",
                                "9:11 ||0|0|status=100 command=read type=FOC_PID_POSITION_ACTUAL value=0xFFFFFFFF",
                                "10:12 CommMode||1|0|", "11:14 tool|toolVisible|0|0|", "12:1 ||0|0|", "13:2 ||0|0|",
                                "14:15 ||0|0|"}));
}

void tst_Script::numbersAreDecimalOrHexadecimalWithinSixtyFourBits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");
    QTest::newRow("decimal") << "1234" << true << qint64(1234);
    QTest::newRow("negative") << "-500" << true << qint64(-500);
    QTest::newRow("plus") << "+7" << true << qint64(7);
    QTest::newRow("hexadecimal") << "0x1f" << true << qint64(31);
    QTest::newRow("upper-case hexadecimal") << "0XFFFFFFFF" << true << qint64(0xFFFFFFFFLL);
    QTest::newRow("negative hexadecimal") << "-0x10" << true << qint64(-16);
    QTest::newRow("largest") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
    QTest::newRow("smallest") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
    QTest::newRow("too large") << "9223372036854775808" << false << qint64(0);
    QTest::newRow("hexadecimal too large") << "0x10000000000000000" << false << qint64(0);
    QTest::newRow("trailing junk") << "12x" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
}

void tst_Script::numbersAreDecimalOrHexadecimalWithinSixtyFourBits()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);
    qint64 read = 0;
    QCOMPARE(ScriptParser::readNumber(text, &read), valid);
    if (valid)
        QCOMPARE(read, value);
}

void tst_Script::badLinesAreReportedWithTheirLineAndWhat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no product first") << "# start\nopen\n" << 2 << "the script must start with \"product CODE\"";
    QTest::newRow("unknown command") << "product 40\nmove 5\n" << 2 << "unknown command \"move\"";
    QTest::newRow("command names are exact") << "product 40\nOpen\n" << 2 << "unknown command \"Open\"";
    QTest::newRow("too many arguments") << "product 40\nclick a b\n"
                                        << 2 << "\"click\" takes 1 argument, not 2 (usage: click NAME)";
    QTest::newRow("too few arguments") << "product 40\nprint tool\n"
                                       << 2 << "\"print\" takes 2 arguments, not 1 (usage: print NAME PROPERTY)";
    QTest::newRow("optional argument") << "product 40\nopen 0 1\n"
                                       << 2 << "\"open\" takes 0 or 1 arguments, not 2 (usage: open [MOTOR])";
    QTest::newRow("no arguments") << "product 40\njournal all\n"
                                  << 2 << "\"journal\" takes 0 arguments, not 1 (usage: journal)";
    QTest::newRow("bad product code") << "product forty\n"
                                      << 1 << "bad number \"forty\" for CODE (decimal or 0x hexadecimal)";
    QTest::newRow("plan beyond 32 bits") << "product 40\nplan 4294967296\n"
                                         << 2 << "DISTANCE 4294967296 is out of range (-2147483648 to 2147483647)";
    QTest::newRow("negative time") << "product 40\nadvance -5\n" << 2 << "MS -5 is out of range (0 to 2147483647)";
    QTest::newRow("motor beyond 8 bits") << "product 40\nopen 256\n" << 2 << "MOTOR 256 is out of range (0 to 255)";
    QTest::newRow("tool beyond 8 bits") << "product 40\ntool 256\n" << 2 << "MOTOR 256 is out of range (0 to 255)";
    QTest::newRow("close of the current tool written out") << "product 40\nclose -1\n"
                                                           << 2 << "MOTOR -1 is out of range (0 to 255)";
    QTest::newRow("bad device value") << "product 40\ndevice X 0x\n"
                                      << 2 << "bad number \"0x\" for VALUE (decimal or 0x hexadecimal)";
    QTest::newRow("hover direction") << "product 40\nhover RAMPER_V1 in\n"
                                     << 2 << "hover takes \"enter\" or \"leave\", not \"in\"";
    QTest::newRow("unknown export") << "product 40\nexport Speed 1\n"
                                    << 2 << "the host exports \"Units\" and \"CommMode\", not \"Speed\"";
    QTest::newRow("unknown reply field")
        << "product 40\nreply channel=1\n"
        << 2 << "unknown reply field \"channel\" (status, address, command, motor, type, value)";
    QTest::newRow("reply field without value") << "product 40\nreply status\n"
                                               << 2 << "reply field status needs a value: status=VALUE";
    QTest::newRow("reply field twice") << "product 40\nreply value=1 value=2\n"
                                       << 2 << "reply field \"value\" is given twice";
    QTest::newRow("reply command word") << "product 40\nreply command=write\n"
                                        << 2 << "bad number \"write\" for command (decimal or 0x hexadecimal)";
    QTest::newRow("reply motor beyond 8 bits") << "product 40\nreply motor=300\n"
                                               << 2 << "motor 300 is out of range (0 to 255)";
    QTest::newRow("unterminated quote") << "product 40\n\nset a \"b\n" << 3 << "unterminated quoted argument";
    QTest::newRow("design of nothing")
        << "product 40\ndesign\n"
        << 2 << "design takes DISTANCE SECONDS [gentlest], DISTANCE fastest VMAX AMAX, \"apply\" or \"undo\"";
    QTest::newRow("design with a word too many")
        << "product 40\ndesign 100000 1.5 gently\n"
        << 2 << "design 100000 takes SECONDS [gentlest] or fastest VMAX AMAX, not 2 more words";
    QTest::newRow("design of a bad limit") << "product 40\ndesign 1000 fastest 50000 -1\n"
                                           << 2 << "bad number \"-1\" for AMAX (a decimal number, as 1.5)";
}

void tst_Script::badLinesAreReportedWithTheirLineAndWhat()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, message);
    QList<ScriptCommand> commands;
    ScriptParser::Error error;
    QVERIFY(!ScriptParser::parse(text, &commands, &error));
    QCOMPARE(error.line, line);
    QCOMPARE(error.message, message);
}

namespace {
// A line as a person wrote it, read as the parser reads it.
ScriptCommand readLine(const QString& line)
{
    QStringList words;
    QString message;
    ScriptCommand command;
    if (!ScriptParser::split(line, &words, &message) || !ScriptParser::read(words, &command, &message))
        qWarning("cannot read %s: %s", qPrintable(line), qPrintable(message));
    return command;
}

struct RoundTrip
{
    const char* tag;
    ScriptCommand command;
    QString line;
};

// A command of every kind, with the awkward arguments each takes, and the line it is written as.
QList<RoundTrip> roundTrips()
{
    using C = ScriptCommand;
    C reply = C::make(C::Reply);
    reply.fields = {{"status", "100"}, {"address", "0x01"},      {"command", "read"},
                    {"motor", "1"},    {"type", "RAMPER_V_MAX"}, {"value", "-0x80000000"}};
    const qint64 int64Min = std::numeric_limits<qint64>::min();
    const qint64 intMax = std::numeric_limits<int>::max();
    const qint64 intMin = std::numeric_limits<int>::min();
    return {
        {"product", C::make(C::Product, 40), "product 40"},
        {"product in hexadecimal", readLine("product 0x28"), "product 40"},
        {"open", C::make(C::Open, 0), "open 0"},
        {"open without a motor", readLine("open"), "open 0"},
        {"tool", C::make(C::Tool, 255), "tool 255"},
        {"close a motor", C::make(C::Close, 3), "close 3"},
        {"close the current tool", C::make(C::Close, -1), "close"},
        {"design a duration", C::design({"-100000", "1.5"}), "design -100000 1.5"},
        {"design the fastest", C::design({"100000", "fastest", "50000", "200000.5"}),
         "design 100000 fastest 50000 200000.5"},
        {"design apply", C::design({"apply"}), "design apply"},
        {"show", C::make(C::Show), "show"},
        {"hide", C::make(C::Hide), "hide"},
        {"set a number", C::make(C::Set, "sbTargetPosition", "-20000"), "set sbTargetPosition -20000"},
        {"set a space", C::make(C::Set, "cmbRelativeTo", "target position"), R"(set cmbRelativeTo "target position")"},
        {"set a tab", C::make(C::Set, "name", "a\tb"), "set name \"a\tb\""},
        {"set a non-breaking space", C::make(C::Set, "name", QStringLiteral("1\u00A0000")),
         QStringLiteral("set name \"1\u00A0000\"")},
        {"set a hash", C::make(C::Set, "name", "#1"), R"(set name "#1")"},
        {"set quotes", C::make(C::Set, "name", R"(say "hi")"), R"(set name "say \"hi\"")"},
        {"set backslashes in quotes", C::make(C::Set, "name", R"(C:\x \)"), R"(set name "C:\\x \\")"},
        {"set a backslash unquoted", C::make(C::Set, "name", R"(a\b)"), R"(set name a\b)"},
        {"set empty text", C::make(C::Set, "name", ""), R"(set name "")"},
        {"set an empty name", C::make(C::Set, "", "on"), R"(set "" on)"},
        {"click", C::make(C::Click, "btnMoveAbsolute"), "click btnMoveAbsolute"},
        {"click a name with a space", C::make(C::Click, "btn Stop"), R"(click "btn Stop")"},
        {"hover enter", C::hover("RAMPER_V1", true), "hover RAMPER_V1 enter"},
        {"hover leave", C::hover("RAMPER_V1", false), "hover RAMPER_V1 leave"},
        {"device most negative", C::make(C::Device, "XTARGET", int64Min), "device XTARGET -9223372036854775808"},
        {"device in hexadecimal", readLine("device XACTUAL 0xFFFFFFFF"), "device XACTUAL 4294967295"},
        {"device most negative in hexadecimal", readLine("device X -0x8000000000000000"), "device X -9223372036854775808"},
        {"advance", C::make(C::Advance, intMax), "advance 2147483647"},
        {"refresh", C::make(C::Refresh), "refresh"},
        {"poll", C::make(C::Poll, "RAMPER_V_MAX"), "poll RAMPER_V_MAX"},
        {"reply every field", reply,
         "reply status=100 address=0x01 command=read motor=1 type=RAMPER_V_MAX value=-0x80000000"},
        {"reply no field", C::make(C::Reply), "reply"},
        {"export Units", C::make(C::Export, "Units", 1), "export Units 1"},
        {"export CommMode", C::make(C::Export, "CommMode", intMin), "export CommMode -2147483648"},
        {"wait", C::make(C::Wait, 0), "wait 0"},
        {"print", C::make(C::Print, "tool", "toolVisible"), "print tool toolVisible"},
        {"print quoted", C::make(C::Print, "a b", "c#d"), R"(print "a b" "c#d")"},
        {"journal", C::make(C::Journal), "journal"},
        {"plan", C::make(C::Plan, intMin), "plan -2147483648"},
        {"save plot", C::make(C::Save, "plot", "/tmp/my plots/a.csv"), R"(save plot "/tmp/my plots/a.csv")"},
        {"save journal", C::make(C::Save, "journal", "j.txt"), "save journal j.txt"},
    };
}
} // namespace

void tst_Script::writtenCommandsReadBackAsTheSameCommand_data()
{
    QTest::addColumn<ScriptCommand>("command");
    QTest::addColumn<QString>("line");
    for (const RoundTrip& trip : roundTrips())
        QTest::newRow(trip.tag) << trip.command << trip.line;
}

void tst_Script::writtenCommandsReadBackAsTheSameCommand()
{
    QFETCH(ScriptCommand, command);
    QFETCH(QString, line);
    QString written;
    QString refusal;
    QVERIFY2(ScriptWriter::write(command, &written, &refusal), qPrintable(refusal));
    QCOMPARE(written, line);
    QList<ScriptCommand> commands;
    ScriptParser::Error error;
    QVERIFY2(ScriptParser::parse("product 40\n" + written + "\n", &commands, &error), qPrintable(error.message));
    QCOMPARE(commands.size(), 2);
    const ScriptCommand& read = commands.last();
    QCOMPARE(read.kind, command.kind);
    QCOMPARE(read.name, command.name);
    QCOMPARE(read.text, command.text);
    QCOMPARE(read.number, command.number);
    QCOMPARE(read.enter, command.enter);
    QCOMPARE(read.fields, command.fields);
    QCOMPARE(read.words, command.words);
}

void tst_Script::writerRefusesWhatWouldNotReadBack_data()
{
    using C = ScriptCommand;
    QTest::addColumn<ScriptCommand>("command");
    QTest::addColumn<QString>("refusal");
    const auto replyOf = [](const QString& key, const QString& value) {
        C reply = C::make(C::Reply);
        reply.fields = {{key, value}};
        return reply;
    };
    QTest::newRow("line feed in a value") << C::make(C::Set, "name", "a\nb") << "set with a line break in its argument";
    QTest::newRow("carriage return in a name") << C::make(C::Click, "btn\r") << "click with a line break in its argument";
    QTest::newRow("line break in a reply") << replyOf("type", "A\nB") << "reply with a line break in its argument";
    QTest::newRow("line break in a file name")
        << C::make(C::Save, "plot", "a\n.csv") << "save with a line break in its argument";
    QTest::newRow("negative product code")
        << C::make(C::Product, -1) << "product: CODE -1 is out of range (0 to 2147483647)";
    QTest::newRow("motor beyond 8 bits") << C::make(C::Open, 256) << "open: MOTOR 256 is out of range (0 to 255)";
    QTest::newRow("close of no motor") << C::make(C::Close, -2) << "close: MOTOR -2 is out of range (0 to 255)";
    QTest::newRow("export the host does not make")
        << C::make(C::Export, "Speed", 1) << "export: the host exports \"Units\" and \"CommMode\", not \"Speed\"";
    QTest::newRow("save of something else")
        << C::make(C::Save, "picture", "a.png") << "save: save takes \"plot\" or \"journal\", not \"picture\"";
    QTest::newRow("unknown reply field") << replyOf(
        "channel", "1") << "reply: unknown reply field \"channel\" (status, address, command, motor, type, value)";
    QTest::newRow("design of no duration")
        << C::design({"100000", "soon"}) << "design: bad number \"soon\" for SECONDS (a decimal number, as 1.5)";
    QTest::newRow("reply key holding =") << replyOf("status=1", "2")
                                         << "reply: bad number \"1=2\" for status (decimal or 0x hexadecimal)";
}

void tst_Script::writerRefusesWhatWouldNotReadBack()
{
    QFETCH(ScriptCommand, command);
    QFETCH(QString, refusal);
    QString line = QStringLiteral("untouched");
    QString error;
    QVERIFY(!ScriptWriter::write(command, &line, &error));
    QCOMPARE(error, refusal);
    QCOMPARE(line, QStringLiteral("untouched"));
}

QTEST_MAIN(tst_Script)
#include "tst_script.moc"
