#include "scriptparser.h"

#include <QTest>

#include <limits>

class tst_Script : public QObject
{
    Q_OBJECT

private slots:
    void commandsCarryTheirLineNamesAndNumbers();
    void wordsSplitAtSpacesExceptInQuotesAndStopAtComments_data();
    void wordsSplitAtSpacesExceptInQuotesAndStopAtComments();
    void numbersAreDecimalOrHexadecimalWithinSixtyFourBits_data();
    void numbersAreDecimalOrHexadecimalWithinSixtyFourBits();
    void badLinesAreReportedWithTheirLineAndWhat_data();
    void badLinesAreReportedWithTheirLineAndWhat();
    void linesAreHandedOnAsTheyAreReadUntilTheTakerStops();
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

void tst_Script::wordsSplitAtSpacesExceptInQuotesAndStopAtComments_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("spaces and tabs") << "  set\tsbTarget   5 " << QStringList{"set", "sbTarget", "5"};
    QTest::newRow("quoted with spaces") << "set cmb \"actual position\"" << QStringList{"set", "cmb", "actual position"};
    QTest::newRow("comment ends the line") << "click btn # click it" << QStringList{"click", "btn"};
    QTest::newRow("hash inside quotes") << "set name \"a # b\"" << QStringList{"set", "name", "a # b"};
    QTest::newRow("escaped quote") << R"(set name "say \"hi\"")" << QStringList{"set", "name", "say \"hi\""};
    QTest::newRow("empty quotes are a word") << "set name \"\"" << QStringList{"set", "name", ""};
    QTest::newRow("quote joined to a word") << "set na\"me x\"" << QStringList{"set", "name x"};
    QTest::newRow("only a comment") << "# nothing" << QStringList();
}

void tst_Script::wordsSplitAtSpacesExceptInQuotesAndStopAtComments()
{
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QStringList split;
    QString message;
    QVERIFY2(ScriptParser::split(line, &split, &message), qPrintable(message));
    QCOMPARE(split, words);
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

void tst_Script::linesAreHandedOnAsTheyAreReadUntilTheTakerStops()
{
    QStringList taken;
    ScriptParser::Error error;
    const auto take = [&taken](const ScriptCommand& command) {
        taken << QStringLiteral("%1:%2").arg(command.line).arg(command.kind);
        return command.kind != ScriptCommand::Show;
    };
    QVERIFY(ScriptParser::parse(QStringLiteral("product 40\n# open it\nopen\nshow\nbogus\n"), take, &error));
    QCOMPARE(taken, QStringList({"1:0", "3:1", "4:2"}));
    // A bad line stops it after the lines before it were handed on.
    taken.clear();
    QVERIFY(!ScriptParser::parse(QStringLiteral("product 40\nopen\nbogus\nshow\n"), take, &error));
    QCOMPARE(taken, QStringList({"1:0", "2:1"}));
    QCOMPARE(error.line, 3);
}

QTEST_MAIN(tst_Script)
#include "tst_script.moc"
