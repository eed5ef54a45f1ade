// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "workbenchsupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace WorkbenchSupport;

// The workbench run as a user runs it: scripts headless, options, files saved.
class tst_Workbench : public QObject
{
    Q_OBJECT

private slots:
    void scriptDrivesTheDeviceAndTheHostAndHidesWhatAsksToBeHidden();
    void scriptKeepsAToolPerMotor();
    void scriptStopsAtItsFirstBadLine_data();
    void scriptStopsAtItsFirstBadLine();
    void badCommandLinesAreRefusedWithOneMessage_data();
    void badCommandLinesAreRefusedWithOneMessage();
    void helpAndVersionAnswerOnStandardOutputAndStop();
    void screenshotIsSavedAfterTheScript();
    void scriptSavesThePlotSamplesWithPointDecimalsWhateverTheLocale();
    void scriptSavesPicturesAndTheJournalOrSaysWhyNot_data();
    void scriptSavesPicturesAndTheJournalOrSaysWhyNot();

    void scriptPrintsThePlanOfAMoveOfTheCurrentMotor();
    void planIsTheMoveTheToolWouldMake_data();
    void planIsTheMoveTheToolWouldMake();
};

void tst_Workbench::scriptDrivesTheDeviceAndTheHostAndHidesWhatAsksToBeHidden()
{
    // Whatever the tool, the host's own commands give the same output. Then the
    // rotary tool hides itself for linear units: the host hides its window
    // (hidePlugin drops the traces) and shows it again for rotary units.
    const Run run = runScript("# Zell, moved from inside the device\n"
                              "product 40\n"
                              "device MOTION_MODE 3\n"
                              "device FOC_PID_POSITION_TARGET 0x186A0\n"
                              "advance 1000\n"
                              "poll FOC_PID_POSITION_ACTUAL\n"
                              "journal\n"
                              "open\n"
                              "print tool class\n"
                              "print tool toolsVariant\n"
                              "print tool motorNumber\n"
                              "reply type=FOC_PID_POSITION_ACTUAL value=5\n"
                              "product 105\n"
                              "open 1\n"
                              "print tool motorNumber\n"
                              "print tool \"toolsVariant\"\n"
                              "open\n"
                              "show\n"
                              "journal\n"
                              "export Units 1\n"
                              "print tool toolVisible\n"
                              "print tool hidden\n"
                              "journal\n"
                              "export Units 0\n"
                              "print tool hidden\n"
                              "journal\n"
                              "hide\n"
                              "export Units 1\n"
                              "export Units 0\n"
                              "print tool hidden\n"
                              "journal\n");
    QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join(QLatin1Char('\n'))));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("tool.class = PositionMode_Zell\n"
                                     "tool.toolsVariant = 40\n"
                                     "tool.motorNumber = 0\n"
                                     "tool.motorNumber = 1\n"
                                     "tool.toolsVariant = 105\n"
                                     "m0 trace commutationMode\n"
                                     "m0 trace actualPosition\n"
                                     "tool.toolVisible = false\n"
                                     "tool.hidden = true\n"
                                     "m0 untrace all\n"
                                     "tool.hidden = false\n"
                                     "m0 trace commutationMode\n"
                                     "m0 trace actualPosition\n"
                                     "tool.hidden = true\n"
                                     "m0 untrace all\n"));
}

void tst_Workbench::scriptKeepsAToolPerMotor()
{
    // Opening a motor's tool leaves the other motor's open; `tool` picks the
    // current one, `close` closes it and the lowest motor's becomes current.
    // The host's exports reach every tool: both hide for linear units.
    const Run run = runScript("product 105\n"
                              "open\n"
                              "show\n"
                              "open 1\n"
                              "show\n"
                              "print tool motorNumber\n"
                              "tool 0\n"
                              "print tool motorNumber\n"
                              "journal\n"
                              "export Units 1\n"
                              "print tool hidden\n"
                              "tool 1\n"
                              "print tool hidden\n"
                              "journal\n"
                              "open 1\n"
                              "print tool hidden\n"
                              "close 0\n"
                              "print tool motorNumber\n"
                              "close\n"
                              "tool 1\n");
    checkRefused(run,
                 QStringLiteral("tool.motorNumber = 1\n"
                                "tool.motorNumber = 0\n"
                                "m0 trace commutationMode\n"
                                "m0 trace actualPosition\n"
                                "m1 trace commutationMode\n"
                                "m1 trace actualPosition\n"
                                "tool.hidden = true\n"
                                "tool.hidden = true\n"
                                "m0 untrace all\n"
                                "m1 untrace all\n"
                                "tool.hidden = true\n"
                                "tool.motorNumber = 1\n"),
                 QStringLiteral("*:20: error: no tool of motor 1 is open (open: none)"));
}

void tst_Workbench::scriptStopsAtItsFirstBadLine_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown command after good lines")
        << QByteArray("product 40\nopen\nprint tool motorNumber\nteleport 5\nprint tool motorNumber\n")
        << "tool.motorNumber = 0\n"
        << ":4: error: unknown command \"teleport\"";
    // Scripts that stop before printing anything: the script, and the error after its name.
    const struct
    {
        const char *tag, *script, *error;
    } silent[] = {
        {"an earlier failing line wins over a later bad one", "product 40\nclick btnMoveAbsolute\nteleport\n",
         ":2: error: no tool is open: \"open\" comes first"},
        {"unknown product", "product 41\n",
         ":1: error: unknown product code 41 (the products are 40, 100, 105, 108, 135, 139)"},
        {"missing widget", "product 40\nopen\nclick btnLaunch\n",
         ":3: error: the tool has no widget or object \"btnLaunch\""},
        {"missing property", "product 40\nopen\nprint tool colour\n",
         ":3: error: \"tool\" (*) has no property \"colour\""},
        {"motor the product lacks", "product 108\nopen 1\n", ":2: error: product 108 has 1 motor, no motor 1"},
        {"closing a motor whose tool is not open", "product 135\nopen 1\nclose 0\n",
         ":3: error: no tool of motor 0 is open (open: motor 1)"},
        {"device name the product lacks", "product 105\ndevice RAMPER_V1 5\n",
         ":2: error: the device has no register, field or parameter \"RAMPER_V1\""},
        // `device` takes what the product's description allows, as the host's editors do.
        {"parameter beyond its range", "product 105\ndevice maxVelocity 200000\ndevice maxVelocity 9223372036854775807\n",
         ":3: error: 9223372036854775807 is out of the range of parameter \"maxVelocity\" (0 to 200000)"},
        {"field beyond its bits", "product 40\ndevice MOTION_MODE 16\n",
         ":2: error: 16 is out of the range of field \"MOTION_MODE\" (0 to 15)"},
        {"register beyond 32 bits",
         "product 40\ndevice FOC_PID_POSITION_ACTUAL -0x80000000\ndevice FOC_PID_POSITION_ACTUAL 0x100000000\n",
         ":3: error: 4294967296 is out of the range of register \"FOC_PID_POSITION_ACTUAL\" (-2147483648 to "
         "4294967295)"},
        {"register name in a reply", "product 40\nopen\nreply type=NO_SUCH_REGISTER\n",
         ":3: error: the product has no register \"NO_SUCH_REGISTER\""},
        {"carriage returns alone", "product 40\ropen\r",
         ":1:11: error: a carriage return inside a line (lines end with LF or CR LF) in \"product 40\\x0Dopen\\x0D\""},
        {"not UTF-8", "product 40\nset x caf\xE9\n", ":2:10: error: a byte that is not UTF-8 in \"set x caf\\xE9\""},
        {"directory", "<directory>", ": error: cannot read the script: not a regular file"},
        {"most negative into a box that stops one above it", "product 40\nopen\nset sbTargetPosition -0x80000000\n",
         ":3: error: -0x80000000 is out of the range of spin box \"sbTargetPosition\" (QSpinBox) (-2147483647 to "
         "2147483647)"},
    };
    for (const auto& row : silent)
        QTest::newRow(row.tag) << QByteArray(row.script) << QString() << QString(row.error);
    // Files that are no script, and mistakes the run used to take for something else.
    const QByteArray big = QByteArray(16 * 1024 * 1024, '#').append("\n");
    // Whatever was written, a message quotes at most 60 characters of it.
    QTest::newRow("a long name quoted by its ends")
        << QByteArray("product 40\nopen\nclick B" + QByteArray(1 << 20, 'x') + "E\n") << ""
        << ":3: error: the tool has no widget or object \"B" + QString(29, 'x') + "..." + QString(29, 'x') + "E\"";
    QTest::newRow("a long device name quoted by its ends")
        << QByteArray("product 40\ndevice B" + QByteArray(1 << 20, 'x') + "E 1\n") << ""
        << ":2: error: the device has no register, field or parameter \"B" + QString(29, 'x') + "..." + QString(29, 'x')
               + "E\"";
    QTest::newRow("a bad byte in a long line quoted around it")
        << QByteArray("product 40\nset a " + QByteArray(100, 'y') + "\xFF" + QByteArray(100, 'z') + "\n") << ""
        << ":2:107: error: a byte that is not UTF-8 in \"..." + QString(30, 'y') + "\\xFF" + QString(29, 'z') + "...\"";
    QTest::newRow("NUL byte") << QByteArray("product 40\nopen\npri").append('\0').append("nt tool x\n") << ""
                              << ":3:4: error: a NUL byte (a script is text) in \"pri\\x00nt tool x\"";
    QTest::newRow("over 16 MiB")
        << big << ""
        << ": error: the script is 16777217 bytes long, more than the 16 MiB a script may have";
    QTest::newRow("empty property prints empty; a number beyond the box")
        << QByteArray("product 40\nopen\nprint cmbRelativeTo currentData\nset sbTargetPosition 4294967296\n")
        << "cmbRelativeTo.currentData = \n"
        << ":4: error: 4294967296 is out of the range of spin box \"sbTargetPosition\" (QSpinBox) (-2147483647 to "
           "2147483647)";
}

void tst_Workbench::scriptStopsAtItsFirstBadLine()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, out);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = script == "<directory>" ? dir.path() : writeFile(dir, QStringLiteral("bad.wbs"), script);
    checkRefused(runWorkbench({QStringLiteral("--script"), path}), out, path + error);
}

void tst_Workbench::badCommandLinesAreRefusedWithOneMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("productFile");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown option") << QStringList{"--turbo"} << QByteArray()
                                    << "workbench: error: Unknown option 'turbo'. (see --help)";
    QTest::newRow("no plug-in directory")
        << QStringList{"--plugin-dir", "/nonexistent/plugins"} << QByteArray()
        << "workbench: error: the plug-in directory \"/nonexistent/plugins\" does not exist";
    QTest::newRow("unknown start product")
        << QStringList{"--product", "77", "--screenshot", "never.png"} << QByteArray()
        << "workbench: error: unknown product code 77 (the products are 40, 100, 105, 108, 135, 139)";
    for (const char* option : {"--script", "--screenshot", "--plugin-dir", "--product", "--product-file"}) {
        QTest::addRow("empty %s", option)
            << QStringList{option, ""} << QByteArray()
            << QStringLiteral("workbench: error: %1 needs a value, not an empty one (see --help)").arg(QLatin1String(option));
    }
    QTest::newRow("stray argument") << QStringList{"stray"} << QByteArray()
                                    << "workbench: error: unexpected argument \"stray\" (see --help)";
    QTest::newRow("product code not a number") << QStringList{"--product", "forty"} << QByteArray()
                                               << "workbench: error: bad product code \"forty\" (see --help)";
    QTest::newRow("script twice") << QStringList{"--script", "a.wbs"} << QByteArray()
                                  << "workbench: error: --script is given 2 times; give it once (see --help)";
    QTest::newRow("platform Qt does not have")
        << QStringList{"-platform", "nowhere"} << QByteArray()
        << "workbench: error: -platform \"nowhere\": Qt has no such platform (the platforms are *)";
    // Qt's own messages are hidden in a script run, but not the one saying why it cannot start.
    QTest::newRow("platform that cannot start")
        << QStringList{"-platform", "xcb", "-display", ":4999"} << QByteArray()
        << "workbench: error: Qt cannot start its platform plug-in: could not connect to display :4999*";
    QTest::newRow("malformed product file")
        << QStringList() << QByteArray("<?xml version=\"1.0\"?>\n<product variant=\"40\">\n</product>\n")
        << "product.xml:2:22: error: <product> lacks the attribute \"designation\"";
}

void tst_Workbench::badCommandLinesAreRefusedWithOneMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, productFile);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString script = writeFile(dir, QStringLiteral("ok.wbs"), "product 40\n");
    QString expected = error;
    if (!productFile.isEmpty()) {
        const QString path = writeFile(dir, QStringLiteral("product.xml"), productFile);
        arguments << QStringLiteral("--product-file") << path;
        expected = dir.path() + QLatin1Char('/') + error;
    }
    if (!arguments.contains(QLatin1String("--screenshot")))
        arguments << QStringLiteral("--script") << script;
    checkRefused(runWorkbench(arguments), QString(), expected);
}

// --help and --version need no display and start nothing: they print and exit 0,
// even beside options that would open a window.
void tst_Workbench::helpAndVersionAnswerOnStandardOutputAndStop()
{
    const Run version = runWorkbench({QStringLiteral("--version"), QStringLiteral("--product"), QStringLiteral("40")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.errors.isEmpty(), qPrintable(version.errors.join(QLatin1Char('\n'))));
    QCOMPARE(version.out, QStringLiteral("positionmode-workbench " POSITIONMODE_VERSION "\n"));

    const Run help = runWorkbench({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.errors.isEmpty(), qPrintable(help.errors.join(QLatin1Char('\n'))));
    QVERIFY2(help.out.startsWith(QLatin1String("Usage: ")), qPrintable(help.out));
    for (const char* option : {"--plugin-dir <DIR>", "--product <CODE>", "--product-file <FILE>", "--script <FILE>",
                               "--screenshot <FILE>", "--version", "--help"}) {
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    }
}

void tst_Workbench::screenshotIsSavedAfterTheScript()
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("shot.png"));
    const Run run = runScript("product 135\nopen 1\nshow\n",
                              {QStringLiteral("--screenshot"), picture, QStringLiteral("--platform=offscreen")});
    QCOMPARE(run.exitCode, 0);
    const QImage image(picture);
    QVERIFY2(!image.isNull(), "the screenshot is a PNG of the window");
    QVERIFY(image.width() > 600 && image.height() > 400);

    const Run failed = runScript("product 135\nopen 2\n", {QStringLiteral("--screenshot"), dir.filePath("no.png")});
    QCOMPARE(failed.exitCode, 2);
    QVERIFY2(!QFile::exists(dir.filePath("no.png")), "no screenshot after a failed script");
}

void tst_Workbench::scriptSavesThePlotSamplesWithPointDecimalsWhateverTheLocale()
{
    // A German locale writes "1,5"; the file keeps to points. The file name is
    // relative to the directory the workbench runs in.
    QTemporaryDir dir;
    writeFile(dir, QStringLiteral("move.wbs"),
              "product 40\nopen\nset sbTargetPosition 100000\nclick btnMoveAbsolute\nadvance 1000\n"
              "save plot motion.csv\n");
    const Run run = runWorkbench({QStringLiteral("--script"), QStringLiteral("move.wbs")}, dir.path(),
                                 QStringLiteral("de_DE.UTF-8"));
    QCOMPARE(run.errors, QStringList());
    QFile file(dir.filePath(QStringLiteral("motion.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    // A sample at the start and one every 20 ms of the advance.
    QCOMPARE(lines.size(), 1 + 51 + 1);
    QCOMPARE(lines.at(0), QByteArray("time_s,m0_target_pos,m0_actual_pos,m0_velocity_pos_per_s"));
    QCOMPARE(lines.at(1), QByteArray("0.000,0,0,0"));
    QCOMPARE(lines.at(2), QByteArray("0.020,100000,32,3200"));
    QCOMPARE(lines.at(51), QByteArray("1.000,100000,28754,42083.3333333"));
    QCOMPARE(lines.at(52), QByteArray());
}

void tst_Workbench::scriptSavesPicturesAndTheJournalOrSaysWhyNot_data()
{
    QTest::addColumn<QString>("save");
    QTest::addColumn<QByteArray>("start"); // of the file written
    QTest::addColumn<QString>("error");
    QTest::newRow("PNG, its extension in capitals") << "plot motion.PNG" << QByteArray("\x89PNG\r\n\x1a\n") << "";
    QTest::newRow("PDF") << "plot motion.pdf" << QByteArray("%PDF-") << "";
    QTest::newRow("journal") << "journal journal.txt" << QByteArray("0.000 s  m0 ") << "";
    QTest::newRow("unknown format") << "plot motion.txt" << QByteArray()
                                    << "cannot tell the format of \"motion.txt\" (.csv, .png or .pdf)";
    QTest::newRow("neither plot nor journal")
        << "picture motion.png" << QByteArray() << "save takes \"plot\" or \"journal\", not \"picture\"";
    QTest::newRow("no such directory") << "plot missing/motion.csv" << QByteArray()
                                       << "cannot write \"missing/motion.csv\": *";
}

void tst_Workbench::scriptSavesPicturesAndTheJournalOrSaysWhyNot()
{
    QFETCH(QString, save);
    QFETCH(QByteArray, start);
    QFETCH(QString, error);
    QTemporaryDir dir;
    writeFile(dir, QStringLiteral("save.wbs"), "product 40\nopen\nclick btnMoveAbsolute\nsave " + save.toUtf8() + '\n');
    const Run run = runWorkbench({QStringLiteral("--script"), QStringLiteral("save.wbs")}, dir.path());
    if (!error.isEmpty())
        return checkRefused(run, QString(), QStringLiteral("save.wbs:4: error: ") + error);
    QCOMPARE(run.errors, QStringList());
    QFile file(dir.filePath(save.section(QLatin1Char(' '), 1)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(start.size()), start);
}

void tst_Workbench::scriptPrintsThePlanOfAMoveOfTheCurrentMotor()
{
    // The trapezoid of product 100 (40000/s², both ways) over 3000: up and down
    // 1500 each, peak sqrt(40000 * 3000); then across the end of the counter.
    const Run run = runScript("product 100\n"
                              "open\n"
                              "device MODE_MOTION 3\n"
                              "plan 3000\n"
                              "device PID_POSITION_ACTUAL 2147483000\n"
                              "plan 1000\n");
    QCOMPARE(run.errors, QStringList());
    QCOMPARE(run.out, QStringLiteral("plan.duration = 0.548\n"
                                     "plan.peakVelocity = 10954.451\n"
                                     "plan.phase = AMAX 0.000 0.274 0 1500 0 10954.451\n"
                                     "plan.phase = DMAX 0.274 0.548 1500 3000 10954.451 0\n"
                                     "plan.duration = 0.316\n"
                                     "plan.peakVelocity = 6324.555\n"
                                     "plan.phase = AMAX 0.000 0.158 2147483000 2147483500 0 6324.555\n"
                                     "plan.phase = DMAX 0.158 0.316 2147483500 -2147483296 6324.555 0\n"));
}

// A plan answers "what will the tool's move do?": the tool switches position
// mode on before it moves, so a fresh tool's plan is that move; a ramp that is
// off still jumps, and a maximum velocity of 0 never arrives.
void tst_Workbench::planIsTheMoveTheToolWouldMake_data()
{
    QTest::addColumn<QByteArray>("setUp");
    QTest::addColumn<QString>("duration");
    QTest::newRow("fresh Zell tool") << QByteArray("product 40\nopen\nplan 100000\n") << "2.912";
    QTest::newRow("fresh Orsax tool") << QByteArray("product 100\nopen\nplan 100000\n") << "3.500";
    QTest::newRow("ramp off") << QByteArray("product 40\nopen\ndevice RAMP_ENABLE 0\nplan 100000\n") << "0.000";
    QTest::newRow("VMAX 0, rotary module")
        << QByteArray("product 105\nopen\ndevice maxVelocity 0\nplan 100000\n") << "never";
    // The register holds 32 bits, the motion runs on its field's 23: none of them set.
    QTest::newRow("VMAX beyond its field's bits")
        << QByteArray("product 40\nopen\ndevice RAMPER_V_MAX 0x800000\nplan 100000\n") << "never";
}

void tst_Workbench::planIsTheMoveTheToolWouldMake()
{
    QFETCH(QByteArray, setUp);
    QFETCH(QString, duration);
    const Run run = runScript(setUp);
    QCOMPARE(run.errors, QStringList());
    QCOMPARE(run.out.section(QLatin1Char('\n'), 0, 0), QStringLiteral("plan.duration = ") + duration);
}

QTEST_MAIN(tst_Workbench)
#include "tst_workbench.moc"
