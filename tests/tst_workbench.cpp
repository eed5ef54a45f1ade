#include "fixture.h"
#include "workbenchsupport.h"

#include "model/parametercontroller.h"
#include "model/zyraparameter.h"
#include "deviceclock.h"
#include "journalview.h"
#include "mainwindow.h"
#include "motionplot.h"
#include "planbox.h"
#include "pluginhost.h"
#include "productcatalog.h"
#include "scriptparser.h"
#include "scriptwriter.h"
#include "sessionrecorder.h"
#include "toolarea.h"
#include "toolpanel.h"
#include "userinput.h"

#include <QComboBox>
#include <qcustomplot.h>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTest>

#include <algorithm>

using namespace WorkbenchSupport;

namespace {
// The built-in Zell product under another variant code and designation.
QByteArray zellProductAs(int variant, const QByteArray& designation)
{
    return Fixture::productXml(40).replace("variant=\"40\" designation=\"Zell\"",
                                           "variant=\"" + QByteArray::number(variant) + "\" designation=\""
                                               + designation + '"');
}
} // namespace

class tst_Workbench : public QObject
{
    Q_OBJECT

private slots:
    void scriptOpensEachProductMovesAndPrints_data();
    void scriptOpensEachProductMovesAndPrints();
    void scriptDrivesTheDeviceAndTheHostAndHidesWhatAsksToBeHidden();
    void scriptKeepsAToolPerMotor();
    void scriptStopsAtItsFirstBadLine_data();
    void scriptStopsAtItsFirstBadLine();
    void badCommandLinesAreRefusedWithOneMessage_data();
    void badCommandLinesAreRefusedWithOneMessage();
    void screenshotIsSavedAfterTheScript();
    void scriptSavesThePlotSamplesWithPointDecimalsWhateverTheLocale();
    void scriptSavesPicturesAndTheJournalOrSaysWhyNot_data();
    void scriptSavesPicturesAndTheJournalOrSaysWhyNot();

    void windowShowsTheToolAndFeedsPlotAndJournalFromItsDevice();
    void pickingAnotherProductOpensItsToolOnAFreshModule();
    void toolsGoIntoTabsWhenTheyNoLongerFitSideBySide();
    void productThePlugInDoesNotServeGetsANoteAndLongTextsAreElided();
    void inRealTimeTheDeviceClockAndTracesRun();
    void journalViewShowsTimedLinesFiltersClearsAndSaves();
    void motionPlotFollowsTheDeviceOverTheLastTwentySeconds();
    void motionPlotSamplesEveryMotorAtOneInstantAndTheLegendHidesCurves();
    void journalMotorFilterNarrowsWhatTheTextFilterShows();
    void scriptPrintsThePlanOfAMoveOfTheCurrentMotor();
    void moveStartedInTheToolIsDrawnAheadAndItsArrivalComparedWithThePlan();
    void planBoxPlansTheTypedMoveAndFollowsRampEdits();
    void recordedSessionReplaysToTheSameJournalAndTracedValue();
    void recordedArgumentsReadBackAsWritten_data();
    void recordedArgumentsReadBackAsWritten();
};

void tst_Workbench::scriptOpensEachProductMovesAndPrints_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("toolClass");
    QTest::newRow("40") << 40 << "PositionMode_Zell";
    QTest::newRow("100") << 100 << "PositionMode_Orsax";
    QTest::newRow("105") << 105 << "PositionMode_AxisParameter";
    QTest::newRow("108") << 108 << "PositionMode_AxisParameter";
    QTest::newRow("135") << 135 << "PositionMode_Veltrax";
    QTest::newRow("139") << 139 << "PositionMode_Veltrax_AP";
}

void tst_Workbench::scriptOpensEachProductMovesAndPrints()
{
    QFETCH(int, variant);
    QFETCH(QString, toolClass);
    // The axis-parameter tools show the actual position in the editor of its parameter.
    const QString actualDisplay = variant == 105   ? "actualPosition"
                                  : variant == 108 ? "linearActualPosition"
                                                   : "sbActualPosition";

    // A move of 100000 takes a few seconds on every product's default ramp;
    // the tools show the actual position from their traces.
    const QString script = QStringLiteral("product %1\n"
                                          "open\n"
                                          "print tool class\n"
                                          "show\n"
                                          "set sbTargetPosition 100000\n"
                                          "click btnMoveAbsolute\n"
                                          "advance 1000\n"
                                          "refresh\n"
                                          "wait 300  # tools that poll on a timer of their own\n"
                                          "print tool toolVisible\n"
                                          "advance 5000\n"
                                          "refresh\n"
                                          "wait 300\n"
                                          "print %2 value\n"
                                          "hide\n"
                                          "print tool hidden\n")
                               .arg(variant)
                               .arg(actualDisplay);
    const Run run = runScript(script.toUtf8());
    QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join(QLatin1Char('\n'))));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("tool.class = %1\n"
                                     "tool.toolVisible = true\n"
                                     "%2.value = 100000\n"
                                     "tool.hidden = true\n")
                          .arg(toolClass, actualDisplay));
}

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
    QCOMPARE(run.out, QStringLiteral("tool.toolsVariant = 40\n"
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
    QTest::newRow("an earlier failing line wins over a later bad one")
        << QByteArray("product 40\nclick btnMoveAbsolute\nteleport\n") << ""
        << ":2: error: no tool is open: \"open\" comes first";
    QTest::newRow("unknown product")
        << QByteArray("product 41\n") << ""
        << ":1: error: unknown product code 41 (the products are 40, 100, 105, 108, 135, 139)";
    QTest::newRow("missing widget") << QByteArray("product 40\nopen\nclick btnLaunch\n") << ""
                                    << ":3: error: the tool has no widget or object \"btnLaunch\"";
    QTest::newRow("missing property") << QByteArray("product 40\nopen\nprint tool colour\n") << ""
                                      << ":3: error: \"tool\" (*) has no property \"colour\"";
    QTest::newRow("motor the product lacks") << QByteArray("product 108\nopen 1\n") << ""
                                             << ":2: error: product 108 has 1 motor, no motor 1";
    QTest::newRow("closing a motor whose tool is not open") << QByteArray("product 135\nopen 1\nclose 0\n") << ""
                                                            << ":3: error: no tool of motor 0 is open (open: motor 1)";
    QTest::newRow("device name the product lacks")
        << QByteArray("product 105\ndevice RAMPER_V1 5\n") << ""
        << ":2: error: the device has no register, field or parameter \"RAMPER_V1\"";
    // `device` takes what the product's description allows, as the host's editors do.
    QTest::newRow("parameter beyond its range")
        << QByteArray("product 105\ndevice maxVelocity 200000\ndevice maxVelocity 9223372036854775807\n") << ""
        << ":3: error: 9223372036854775807 is out of the range of parameter \"maxVelocity\" (0 to 200000)";
    QTest::newRow("field beyond its bits") << QByteArray("product 40\ndevice MOTION_MODE 16\n") << ""
                                           << ":2: error: 16 is out of the range of field \"MOTION_MODE\" (0 to 15)";
    QTest::newRow("register beyond 32 bits") << QByteArray(
        "product 40\ndevice FOC_PID_POSITION_ACTUAL -0x80000000\ndevice FOC_PID_POSITION_ACTUAL 0x100000000\n")
                                             << ""
                                             << ":3: error: 4294967296 is out of the range of register "
                                                "\"FOC_PID_POSITION_ACTUAL\" (-2147483648 to 4294967295)";
    QTest::newRow("register name in a reply") << QByteArray("product 40\nopen\nreply type=NO_SUCH_REGISTER\n") << ""
                                              << ":3: error: the product has no register \"NO_SUCH_REGISTER\"";
    // Files that are no script, and mistakes the run used to take for something else.
    const QByteArray big = QByteArray(16 * 1024 * 1024, '#').append("\n");
    // Whatever was written, a message quotes at most 60 characters of it.
    QTest::newRow("a long name quoted by its ends")
        << QByteArray("product 40\nopen\nclick B" + QByteArray(1 << 20, 'x') + "E\n") << ""
        << ":3: error: the tool has no widget or object \"B" + QString(29, 'x') + "..." + QString(29, 'x') + "E\"";
    QTest::newRow("a bad byte in a long line quoted around it")
        << QByteArray("product 40\nset a " + QByteArray(100, 'y') + "\xFF" + QByteArray(100, 'z') + "\n") << ""
        << ":2:107: error: a byte that is not UTF-8 in \"..." + QString(30, 'y') + "\\xFF" + QString(29, 'z') + "...\"";
    QTest::newRow("NUL byte") << QByteArray("product 40\nopen\npri").append('\0').append("nt tool x\n") << ""
                              << ":3:4: error: a NUL byte (a script is text) in \"pri\\x00nt tool x\"";
    QTest::newRow("carriage returns alone")
        << QByteArray("product 40\ropen\r") << ""
        << ":1:11: error: a carriage return inside a line (lines end with LF or CR LF) "
           "in \"product 40\\x0Dopen\\x0D\"";
    QTest::newRow("not UTF-8") << QByteArray("product 40\nset x caf\xE9\n") << ""
                               << ":2:10: error: a byte that is not UTF-8 in \"set x caf\\xE9\"";
    QTest::newRow("directory") << QByteArray("<directory>") << ""
                               << ": error: cannot read the script: not a regular file";
    QTest::newRow("over 16 MiB")
        << big << ""
        << ": error: the script is 16777217 bytes long, more than the 16 MiB a script may have";
    QTest::newRow("empty property prints empty; a number beyond the box")
        << QByteArray("product 40\nopen\nprint cmbRelativeTo currentData\nset sbTargetPosition 4294967296\n")
        << "cmbRelativeTo.currentData = \n"
        << ":4: error: 4294967296 is out of the range of spin box \"sbTargetPosition\" (QSpinBox) (-2147483647 to "
           "2147483647)";
    QTest::newRow("most negative into a box that stops one above it")
        << QByteArray("product 40\nopen\nset sbTargetPosition -0x80000000\n") << ""
        << ":3: error: -0x80000000 is out of the range of spin box \"sbTargetPosition\" (QSpinBox) (-2147483647 to "
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
    QTest::newRow("script twice") << QStringList{"--script", "a.wbs"} << QByteArray()
                                  << "workbench: error: --script is given 2 times; give it once (see --help)";
    QTest::newRow("platform Qt does not have")
        << QStringList{"-platform", "nowhere"} << QByteArray()
        << "workbench: error: -platform \"nowhere\": Qt has no such platform (the platforms are *)";
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

void tst_Workbench::windowShowsTheToolAndFeedsPlotAndJournalFromItsDevice()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    QPointer<ToolsInterface> tool = host->tool();
    QVERIFY(tool);
    QVERIFY2(window.isAncestorOf(tool), "the tool is shown inside the window");
    QVERIFY(window.toolPanel()->isToolShown());
    QVERIFY(!tool->isHidden());

    SimulatedModule* module = host->module();
    QCOMPARE(window.journalView()->totalLines(), module->journal()->lines().size());
    module->moveToPosition(0, 123);
    QCOMPARE(window.journalView()->visibleLines().last(), QStringLiteral("0.000 s  m0 move 123"));
    const int before = window.motionPlot()->sampleCount();
    module->device()->advance(40);
    QCOMPARE(window.motionPlot()->sampleCount(), before + 1);
    QCOMPARE(window.motionPlot()->samples(MotionPlot::Target).last(), QPointF(0.04, 123));

    // Closing the window hands the tool back to the host, which destroys it.
    window.toolPanel()->hideTool();
    QVERIFY(tool->isHidden());
    host->closeTool(0);
    QVERIFY(!tool);
    QVERIFY(!window.toolPanel()->tool());
}

void tst_Workbench::pickingAnotherProductOpensItsToolOnAFreshModule()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    QPointer<ToolsInterface> first = host->tool();
    QPointer<SimulatedModule> firstModule = host->module();

    auto* products = window.findChild<QComboBox*>(QStringLiteral("productPicker"));
    QVERIFY(products);
    QCOMPARE(products->count(), 6);
    QCOMPARE(products->currentText(), QStringLiteral("40  Zell — Zell servo evaluation module"));
    QCOMPARE(UserInput::set(products, QStringLiteral("100  Orsax — Orsax servo module"), &error), UserInput::Done);
    QVERIFY2(!first && !firstModule, "the old tool and module are gone");
    QVERIFY(host->tool());
    QCOMPARE(host->tool()->toolsVariant(), 100);
    QVERIFY(window.toolPanel()->isToolShown());

    // The Orsax module has two motors; checking the second opens its tool
    // beside the first, unchecking the first closes that one.
    QPointer<ToolsInterface> motor0 = host->tool();
    auto* motor1 = window.findChild<QToolButton*>(QStringLiteral("motor1"));
    QVERIFY(motor1 && !motor1->isChecked());
    QVERIFY(!window.findChild<QToolButton*>(QStringLiteral("motor2")));
    QCOMPARE(UserInput::set(motor1, QStringLiteral("on"), &error), UserInput::Done);
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    QCOMPARE(host->tools().size(), 2);
    QVERIFY(window.toolArea()->panel(1)->isToolShown() && window.toolArea()->panel(0)->isToolShown());
    QCOMPARE(window.motionPlot()->samples(MotionPlot::Actual).size(), 1);
    QCOMPARE(UserInput::set(window.findChild<QToolButton*>(QStringLiteral("motor0")), QStringLiteral("off"), &error),
             UserInput::Done);
    QVERIFY(!motor0);
    QCOMPARE(host->tools(), QList<ToolsInterface*>{host->tool()});
    QCOMPARE(window.motionPlot()->motors(), QList<quint8>{1});
    // A tool closed elsewhere (a script) unchecks its motor.
    host->closeTool(1);
    QVERIFY(!motor1->isChecked());

    // Exports belong to the axis-parameter modules only.
    auto* units = window.findChild<QComboBox*>(QStringLiteral("unitsExport"));
    QVERIFY(units && !units->isEnabled());
    QCOMPARE(UserInput::set(products, QStringLiteral("108  AP — Linear axis module"), &error), UserInput::Done);
    QVERIFY(units->isEnabled());
    QCOMPARE(units->currentText(), QStringLiteral("linear (1)"));
    auto* commutation = window.findChild<QComboBox*>(QStringLiteral("commutationExport"));
    QCOMPARE(commutation->currentText(), QStringLiteral("4 encoder FOC"));
    // The commutation mode is set for the current tool's motor; without a tool there is none to set.
    QCOMPARE(UserInput::set(products, QStringLiteral("105  AP — Rotary servo module"), &error), UserInput::Done);
    QVERIFY(commutation->isEnabled());
    host->closeTool(0);
    QVERIFY(!commutation->isEnabled());
    QVERIFY2(window.openMotor(1, &error), qPrintable(error));
    QCOMPARE(UserInput::set(commutation, QStringLiteral("1 open loop"), &error), UserInput::Done);
    qint64 modes[2] = {0, 0};
    for (quint8 motor : {0, 1})
        QVERIFY(host->module()->device()->value(motor, QStringLiteral("commutationMode"), &modes[motor]));
    QCOMPARE(modes[1], qint64(1));
    QVERIFY(modes[0] != 1);
}

void tst_Workbench::toolsGoIntoTabsWhenTheyNoLongerFitSideBySide()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error) && window.openMotor(1, &error), qPrintable(error));
    window.show();
    QTRY_VERIFY(!window.toolArea()->isTabbed());
    // Working in a tool makes it the current one.
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    QApplication::setActiveWindow(&window);
    host->tool(0)->findChild<QWidget*>(QStringLiteral("sbTargetPosition"))->setFocus();
    QTRY_COMPARE(host->tool()->motorNumber(), quint8(0));
    // Both tools open their ramp panels: together they are wider than the window.
    for (ToolsInterface* tool : host->tools())
        QCOMPARE(UserInput::click(tool->findChild<QWidget*>(QStringLiteral("pbOpenClose")), &error), UserInput::Done);
    QTRY_VERIFY(window.toolArea()->isTabbed());
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("toolTabs"));
    QCOMPARE(tabs->currentWidget(), window.toolArea()->panel(1));
    tabs->setCurrentIndex(0);
    QCOMPARE(host->tool()->motorNumber(), quint8(0));
    QCOMPARE(window.toolPanel(), window.toolArea()->panel(0));
}

void tst_Workbench::productThePlugInDoesNotServeGetsANoteAndLongTextsAreElided()
{
    QTemporaryDir dir;
    ProductCatalog catalog;
    QString error;
    QVERIFY(catalog.loadBuiltIn(&error));
    // The longest designation the product reader accepts, up to 100000 characters.
    for (int length = 100000;
         !catalog.addFile(writeFile(dir, QStringLiteral("77.xml"), zellProductAs(77, QByteArray(length, 'D'))), &error);
         length /= 2)
        QVERIFY2(length > 200, qPrintable(error));
    PluginHost host(std::move(catalog));
    QVERIFY(host.load(pluginDirectory(), &error));
    MainWindow window(host);
    QVERIFY(!window.openProduct(77, 0, &error));
    QVERIFY2(error.startsWith(QLatin1String("the plug-in does not serve product variant 77 (DDD")),
             qPrintable(error.left(80)));
    QVERIFY(!host.tool());
    const QString note = window.findChild<QLabel*>(QStringLiteral("toolNote"))->text();
    QVERIFY2(note.startsWith(QLatin1String("No tool: the plug-in does not serve product variant 77")),
             qPrintable(note.left(80)));
    // No text of the window grows with the designation.
    auto* products = window.findChild<QComboBox*>(QStringLiteral("productPicker"));
    QVERIFY(products->itemText(products->findData(77))
                .endsWith(QChar(0x2026) + QStringLiteral(" — Zell servo evaluation module")));
    for (const QString& text : {note, error, products->itemText(products->findData(77)), window.windowTitle()})
        QVERIFY2(text.size() < 150, qPrintable(text.left(80)));
    QVERIFY(window.sizeHint().width() < 3000);
}

void tst_Workbench::inRealTimeTheDeviceClockAndTracesRun()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    window.setRealTime(true);
    QString error;
    QVERIFY2(window.openProduct(105, 0, &error), qPrintable(error));
    SimulatedModule* module = host->module();
    QTRY_VERIFY(module->device()->timeMs() >= 100);

    // A traced value follows the device on the host's trace timer.
    Model::ZYRAParameter* actual = module->parameterController(0)->actualPosition;
    QSignalSpy updates(actual, &Model::AbstractParameter::valueUpdated);
    host->tool()->addTrace(actual->xmlParameter());
    module->moveToPosition(0, 5000);
    QTRY_COMPARE(actual->lastKnownValue(), qint64(5000));
    QVERIFY(updates.count() > 1);
    window.setRealTime(false);
    QCOMPARE(ToolsInterface::traceInterval(), 0);
}

void tst_Workbench::journalViewShowsTimedLinesFiltersClearsAndSaves()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(40);
    module->moveToPosition(0, 10);
    JournalView view;
    view.setJournal(module->journal());
    module->device()->advance(1250);
    module->moveToPosition(0, 20);
    module->readChannelRegister(quint16(0x0041), 0, nullptr);
    QCOMPARE(view.totalLines(), 3);

    view.setFilter(QStringLiteral("MOVE 2"));
    QCOMPARE(view.visibleLines(), QStringList{"1.250 s  m0 move 20"});
    QTemporaryDir dir;
    QString error;
    QVERIFY2(view.saveTo(dir.filePath(QStringLiteral("journal.txt")), &error), qPrintable(error));
    QFile saved(dir.filePath(QStringLiteral("journal.txt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("1.250 s  m0 move 20\n"));
    QVERIFY2(!view.saveTo(dir.filePath(QStringLiteral("missing/journal.txt")), &error), "a bad path is refused");
    QVERIFY(error.contains(QLatin1String("missing/journal.txt")));

    view.setFilter(QString());
    view.clear();
    QCOMPARE(view.totalLines(), 0);
    QCOMPARE(module->journal()->lines().size(), 3); // the module keeps its journal
    module->moveToPosition(0, 30);
    QCOMPARE(view.visibleLines(), QStringList{"1.250 s  m0 move 30"});
    // Another module's journal replaces what is shown.
    std::unique_ptr<SimulatedModule> other = Fixture::makeModule(40);
    view.setJournal(other->journal());
    module->moveToPosition(0, 1);
    QCOMPARE(view.totalLines(), 0);
}

void tst_Workbench::motionPlotFollowsTheDeviceOverTheLastTwentySeconds()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(40);
    SimulatedDevice* device = module->device();
    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    MotionPlot plot;
    plot.setDevice(device);
    plot.addMotor(0);
    QCOMPARE(plot.sampleCount(), 1);

    device->moveTo(0, 100000);
    double fastest = 0;
    for (int i = 0; i < 400; ++i) {
        device->advance(10);
        fastest = qMax(fastest, plot.samples(MotionPlot::Velocity).last().y());
    }
    QCOMPARE(plot.sampleCount(), 401);
    QCOMPARE(plot.samples(MotionPlot::Target).last(), QPointF(4.0, 100000));
    QCOMPARE(plot.samples(MotionPlot::Actual).last(), QPointF(4.0, 100000));
    QCOMPARE(plot.samples(MotionPlot::Velocity).last(), QPointF(4.0, 0));
    QCOMPARE(fastest, 50000.0);
    const QVector<QPointF> actual = plot.samples(MotionPlot::Actual);
    QVERIFY2(std::is_sorted(actual.begin(), actual.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); }),
             "the actual position only ever grows on the way");

    // Paused, the plot still samples; only samples of the last 20 s stay.
    plot.setPaused(true);
    device->advance(30000);
    plot.setPaused(false);
    const QVector<QPointF> kept = plot.samples(MotionPlot::Actual);
    QCOMPARE(kept.last().x(), 34.0);
    QVERIFY2(kept.first().x() >= 34.0 - MotionPlot::WindowSeconds, "older samples leave the window");
}

void tst_Workbench::motionPlotSamplesEveryMotorAtOneInstantAndTheLegendHidesCurves()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(100);
    SimulatedDevice* device = module->device();
    MotionPlot plot;
    plot.setDevice(device);
    plot.addMotor(1);
    QVERIFY(device->setValue(1, QStringLiteral("MODE_MOTION"), 3));
    device->moveTo(1, 3000);
    device->advance(100);
    plot.addMotor(0);
    device->advance(100);
    QCOMPARE(plot.motors(), QList<quint8>({0, 1}));
    QCOMPARE(plot.sampleCount(), 3);
    QCOMPARE(plot.samples(MotionPlot::Actual, 0).size(), 2);
    QCOMPARE(plot.samples(MotionPlot::Target, 1).last(), QPointF(0.2, 3000));

    // Motors in their order; a motor added later has no values before it was.
    QTemporaryDir dir;
    QString error;
    QVERIFY2(plot.save(dir.filePath(QStringLiteral("two.csv")), &error), qPrintable(error));
    QFile file(dir.filePath(QStringLiteral("two.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.at(0), QByteArray("time_s,m0_target_pos,m0_actual_pos,m0_velocity_pos_per_s,"
                                     "m1_target_pos,m1_actual_pos,m1_velocity_pos_per_s"));
    QCOMPARE(lines.at(1), QByteArray("0.000,,,,0,0,0"));
    QVERIFY2(lines.at(3).startsWith("0.200,0,0,0,3000,"), lines.at(3).constData());

    // A click on a legend entry hides its curve and greys the entry, and leaves auto-scaling on.
    plot.resize(900, 500);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    auto* customPlot = plot.findChild<QCustomPlot*>(QStringLiteral("motionPlot"));
    plot.replotNow();
    QCPGraph* actual = nullptr;
    for (int i = 0; i < customPlot->graphCount(); ++i) {
        if (customPlot->graph(i)->name() == QLatin1String("m1 actual"))
            actual = customPlot->graph(i);
    }
    QVERIFY(actual);
    QCPPlottableLegendItem* entry = customPlot->legend->itemWithPlottable(actual);
    QTest::mouseClick(customPlot, Qt::LeftButton, Qt::NoModifier, entry->rect().center());
    QVERIFY2(!actual->visible(), "the clicked curve is hidden");
    QVERIFY(entry->textColor() != QColor(Qt::black));
    QVERIFY(plot.autoScale());
    QTest::mouseClick(customPlot, Qt::LeftButton, Qt::NoModifier, entry->rect().center());
    QVERIFY2(actual->visible(), "a second click shows it again");
}

void tst_Workbench::journalMotorFilterNarrowsWhatTheTextFilterShows()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(100);
    JournalView view;
    view.setJournal(module->journal());
    view.setMotorCount(2);
    module->moveToPosition(0, 30);
    module->moveToPosition(1, 30);
    module->moveToPosition(1, 40);
    QString error;
    QCOMPARE(UserInput::set(view.findChild<QComboBox*>(QStringLiteral("journalMotorFilter")), QStringLiteral("Motor 1"),
                            &error),
             UserInput::Done);
    view.setFilter(QStringLiteral("move 3"));
    QCOMPARE(view.visibleLines(), QStringList{"0.000 s  m1 move 30"});
    QCOMPARE(view.findChild<QLabel*>(QStringLiteral("journalCount"))->text(), QStringLiteral("1 of 3 lines"));
    // A product with one motor: motor 1 is gone from the filter, every motor's lines show.
    view.setMotorCount(1);
    QCOMPARE(view.motorFilter(), -1);
    QCOMPARE(view.visibleLines().size(), 2);
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
                              "plan 1000\n"
                              "device MODE_MOTION 0\n"
                              "plan 5\n");
    QCOMPARE(run.errors, QStringList());
    QCOMPARE(run.out, QStringLiteral("plan.duration = 0.548\n"
                                     "plan.peakVelocity = 10954.451\n"
                                     "plan.phase = AMAX 0.000 0.274 0 1500 0 10954.451\n"
                                     "plan.phase = DMAX 0.274 0.548 1500 3000 10954.451 0\n"
                                     "plan.duration = 0.316\n"
                                     "plan.peakVelocity = 6324.555\n"
                                     "plan.phase = AMAX 0.000 0.158 2147483000 2147483500 0 6324.555\n"
                                     "plan.phase = DMAX 0.158 0.316 2147483500 -2147483296 6324.555 0\n"
                                     "plan.duration = 0.000\n"
                                     "plan.peakVelocity = 0\n"));
}

void tst_Workbench::moveStartedInTheToolIsDrawnAheadAndItsArrivalComparedWithThePlan()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    SimulatedDevice* device = host->module()->device();
    device->advance(500);
    QCOMPARE(UserInput::set(host->tool()->findChild<QWidget*>(QStringLiteral("sbTargetPosition")),
                            QStringLiteral("100000"), &error),
             UserInput::Done);
    QCOMPARE(UserInput::click(host->tool()->findChild<QWidget*>(QStringLiteral("btnMoveAbsolute")), &error),
             UserInput::Done);
    device->advance(20);

    // The Zell default ramp: A1 to 10000/s, A2 to 30000/s, AMAX to 50000/s, cruise, and down again.
    MotionPlot* plot = window.motionPlot();
    const QVector<QPointF> position = plot->planned(MotionPlot::Move, MotionPlot::Actual);
    const QVector<QPointF> velocity = plot->planned(MotionPlot::Move, MotionPlot::Velocity);
    QVERIFY(!position.isEmpty());
    QCOMPARE(position.first(), QPointF(0.5, 0));
    QCOMPARE(position.last().y(), 100000.0);
    QVERIFY2(std::abs(position.last().x() - 3.412) < 0.001, qPrintable(QString::number(position.last().x())));
    QCOMPARE(std::max_element(velocity.begin(), velocity.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); })->y(),
             50000.0);
    QCOMPARE(plot->phaseMarks(), QStringList({"0.000 A1", "0.063 A2", "0.396 AMAX", "1.396 VMAX", "1.517 DMAX",
                                              "2.517 D2", "2.850 D1", "2.912 VSTOP"}));

    for (int i = 0; i < 200 && !window.statusBar()->currentMessage().startsWith(QLatin1String("arrived")); ++i)
        device->advance(20);
    const QString message = window.statusBar()->currentMessage();
    const QRegularExpression pattern(
        QStringLiteral("^arrived after (\\d+\\.\\d{3}) s \\(planned (\\d+\\.\\d{3}) s\\)$"));
    const QRegularExpressionMatch match = pattern.match(message);
    QVERIFY2(match.hasMatch(), qPrintable(message));
    QVERIFY2(std::abs(match.captured(1).toDouble() - match.captured(2).toDouble()) <= 0.002, qPrintable(message));
    QCOMPARE(match.captured(2), QStringLiteral("2.912"));
}

void tst_Workbench::planBoxPlansTheTypedMoveAndFollowsRampEdits()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    SimulatedDevice* device = host->module()->device();
    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    auto* summary = window.findChild<QLabel*>(QStringLiteral("planSummary"));
    auto* phases = window.findChild<QTableWidget*>(QStringLiteral("planPhases"));
    QVERIFY(summary && phases);
    QCOMPARE(phases->rowCount(), 0);

    window.planBox()->setMove(PlanBox::Relative, 100000);
    QCOMPARE(summary->text(), QStringLiteral("Duration 2.912 s, peak velocity 50000 positions/s"));
    QCOMPARE(phases->rowCount(), 8);
    QCOMPARE(phases->item(3, 0)->text(), QStringLiteral("VMAX"));
    QCOMPARE(phases->item(3, 2)->text(), QStringLiteral("6042"));
    QCOMPARE(window.motionPlot()->planned(MotionPlot::Preview, MotionPlot::Actual).last().y(), 100000.0);

    // The user lowers VMAX in the tool's ramp table; the plan follows once the write reaches the device.
    QCOMPARE(UserInput::click(host->tool()->findChild<QWidget*>(QStringLiteral("pbOpenClose")), &error), UserInput::Done);
    QCOMPARE(UserInput::set(host->tool()->findChild<QWidget*>(QStringLiteral("RAMPER_V_MAX")),
                            QStringLiteral("4000000"), &error),
             UserInput::Done);
    QVERIFY2(summary->text().endsWith(QLatin1String("peak velocity 40000 positions/s")), qPrintable(summary->text()));

    // An absolute target behind the motor, and a motor that moves: the plan starts where it is.
    window.planBox()->setMove(PlanBox::Absolute, -5000);
    QCOMPARE(window.planBox()->plan().phases.last().endPosition, -5000.0);
    device->moveTo(0, 50000);
    device->advance(500);
    QCOMPARE(window.planBox()->plan().phases.first().name, QStringLiteral("brake"));
    QVERIFY2(window.motionPlot()->planned(MotionPlot::Preview, MotionPlot::Actual).isEmpty(),
             "no preview while the motor moves");
}

void tst_Workbench::recordedSessionReplaysToTheSameJournalAndTracedValue()
{
    std::unique_ptr<PluginHost> host = loadedHost();
    MainWindow window(*host);
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error) && window.openMotor(1, &error), qPrintable(error));
    QVERIFY(host->setCurrentTool(0));
    QTemporaryDir dir;
    QVERIFY(!window.startRecording(dir.filePath(QStringLiteral("none/session.wbs")), &error));
    QVERIFY2(error.startsWith(QLatin1String("cannot write the recording")), qPrintable(error));
    const QString path = dir.filePath(QStringLiteral("session.wbs"));
    QVERIFY2(window.startRecording(path, &error), qPrintable(error));
    QVERIFY2(host->tools().size() == 2 && host->tool()->motorNumber() == 0, "both tools reopened, motor 0 current");
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("recordingStatus"))->text().endsWith(QLatin1String("session.wbs")));

    // Time passes as the clock makes it pass: uneven ticks, a trace refresh about every 100 ms.
    const auto pass = [clock = window.deviceClock()](int ms) {
        for (int tick = 1; ms > 0; ms -= 17, ++tick) {
            clock->advance(qMin(ms, 17));
            if (tick % 6 == 0)
                clock->refresh();
        }
    };
    const auto widget = [&host](const char* name) { return host->tool()->findChild<QWidget*>(QLatin1String(name)); };
    const auto type = [&widget](const char* name, const char* text) {
        QTest::keyClick(widget(name), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(widget(name), QLatin1String(text));
        QTest::keyClick(widget(name), Qt::Key_Enter);
    };
    const auto click = [&widget](const char* name) { QTest::mouseClick(widget(name), Qt::LeftButton); };

    // Moves on motor 0 with a ramp edit on the way, a stop and a move relative to the target.
    type("sbTargetPosition", "100000");
    click("btnMoveAbsolute");
    pass(1500);
    click("pbOpenClose");
    QCoreApplication::processEvents(); // the window's event loop delivers what the click left queued
    type("RAMPER_V_MAX", "4000000");
    UserInput::hover(widget("RAMPER_A1"), true, &error);
    UserInput::hover(widget("RAMPER_A1"), false, &error);
    pass(600);
    click("btnStop");
    pass(400);
    QTest::keyClick(widget("cmbRelativeTo"), Qt::Key_Down); // "target position"
    type("sbTargetPosition", "-20000");
    click("btnMoveRelative");
    pass(1200);
    // Motor 1, made current by a click into its panel, moves; motor 0 stops; motor 0 closes, motor 1 moves on.
    QTest::mouseClick(window.toolArea()->panel(1), Qt::LeftButton);
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    type("sbTargetPosition", "100000");
    click("btnMoveAbsolute");
    pass(600);
    QTest::mouseClick(host->tool(0)->findChild<QWidget*>(QStringLiteral("btnStop")), Qt::LeftButton);
    pass(400);
    QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("motor0")), Qt::LeftButton);
    pass(400);
    QCOMPARE(host->tools().size(), 1);
    const QString actual = widget("sbActualPosition")->property("value").toString();
    QStringList expected = host->module()->journal()->lines();

    // The host's exports on the rotary axis-parameter module: commutation disabled, linear units.
    QTest::keyClick(window.findChild<QWidget*>(QStringLiteral("productPicker")), Qt::Key_Up); // 108
    QTest::keyClick(window.findChild<QWidget*>(QStringLiteral("productPicker")), Qt::Key_Up); // 105
    QCOMPARE(host->variant(), 105);
    QTest::keyClick(window.findChild<QWidget*>(QStringLiteral("commutationExport")), Qt::Key_Home);
    pass(200);
    QTest::keyClick(window.findChild<QWidget*>(QStringLiteral("unitsExport")), Qt::Key_End);
    pass(200);
    QVERIFY2(!host->tool()->isEnabled() && !host->tool()->toolVisible(), "the tool is disabled and hidden");
    window.close(); // finishes the recording
    QVERIFY(!window.recorder()->isRecording());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray script = file.readAll();
    // The journals of the first and the last module.
    const Run run = runScript(
        QByteArray(script).replace("product 108\n", "journal\nprint sbActualPosition value\nproduct 108\n")
        + "journal\nprint tool enabled\nprint tool toolVisible\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n') + '\n' + script));
    expected << QStringLiteral("sbActualPosition.value = ") + actual << host->module()->journal()->lines()
             << QStringLiteral("tool.enabled = false") << QStringLiteral("tool.toolVisible = false") << QString();
    QCOMPARE(run.out.split(QLatin1Char('\n')), expected);
}

void tst_Workbench::recordedArgumentsReadBackAsWritten_data()
{
    QTest::addColumn<QString>("word");
    for (const char* word :
         {"RAMPER_V_MAX", "-20000", "target position", "a\tb", "#1", "say \"hi\"", "C:\\x \\", "a\\b", ""})
        QTest::newRow(word) << QString::fromUtf8(word);
}

void tst_Workbench::recordedArgumentsReadBackAsWritten()
{
    QFETCH(QString, word);
    QStringList words;
    QString message;
    const QString line = QStringLiteral("set name %1 # note").arg(ScriptWriter::quoted(word));
    QVERIFY2(ScriptParser::split(line, &words, &message), qPrintable(message));
    QCOMPARE(words, QStringList({QStringLiteral("set"), QStringLiteral("name"), word}));
}

QTEST_MAIN(tst_Workbench)
#include "tst_workbench.moc"
