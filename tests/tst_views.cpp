// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "journalview.h"
#include "mainwindow.h"
#include "model/parametercontroller.h"
#include "model/zyraparameter.h"
#include "motionplot.h"
#include "planbox.h"
#include "session.h"
#include "toolarea.h"
#include "toolpanel.h"
#include "userinput.h"
#include "workbenchsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <qcustomplot.h>

#include <algorithm>
#include <memory>

using namespace WorkbenchSupport;

namespace {
// The lines the journal view shows, top to bottom.
QStringList shownLines(const JournalModel& model)
{
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row)
        lines.append(model.lineAt(row));
    return lines;
}

// The built-in Zell product under another variant code and designation.
QByteArray zellProductAs(int variant, const QByteArray& designation)
{
    return Fixture::productXml(40).replace("variant=\"40\" designation=\"Zell\"",
                                           "variant=\"" + QByteArray::number(variant) + "\" designation=\""
                                               + designation + '"');
}

// A widget of the kind a script's set, click or hover may name, its object
// name its kind; "object" is a QObject that is no widget.
std::unique_ptr<QObject> inputTarget(const QString& kind)
{
    std::unique_ptr<QObject> target;
    if (kind == QLatin1String("spinBox")) {
        auto* box = new QSpinBox;
        box->setRange(-100, 100);
        target.reset(box);
    } else if (kind == QLatin1String("doubleSpinBox")) {
        target = std::make_unique<QDoubleSpinBox>();
    } else if (kind == QLatin1String("comboBox")) {
        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("first"), QStringLiteral("second item")});
        target.reset(combo);
    } else if (kind == QLatin1String("checkBox")) {
        target = std::make_unique<QCheckBox>();
    } else if (kind == QLatin1String("pushButton")) {
        target = std::make_unique<QPushButton>();
    } else if (kind == QLatin1String("group")) {
        target = std::make_unique<QGroupBox>();
    } else if (kind == QLatin1String("checkableGroup")) {
        auto* group = new QGroupBox;
        group->setCheckable(true);
        group->setChecked(false);
        target.reset(group);
    } else if (kind == QLatin1String("lineEdit")) {
        target = std::make_unique<QLineEdit>();
    } else if (kind == QLatin1String("label")) {
        target = std::make_unique<QLabel>();
    } else {
        target = std::make_unique<QObject>();
    }
    target->setObjectName(kind);
    return target;
}
} // namespace

// The window and its views draw what the session holds and turn a person's
// input into calls on it.
class tst_Views : public QObject
{
    Q_OBJECT

private slots:
    void windowShowsTheToolAndFeedsPlotAndJournalFromItsDevice();
    void pickingAnotherProductOpensItsToolOnAFreshModule();
    void toolsGoIntoTabsWhenTheyNoLongerFitSideBySide();
    void productThePlugInDoesNotServeGetsANoteAndLongTextsAreElided();
    void journalViewShowsTimedLinesFiltersClearsAndSaves();
    void journalMotorFilterNarrowsWhatTheTextFilterShows();
    void plotDrawsEveryMotorOfTheStoreAndTheLegendHidesCurves();
    void plotRedrawsOnlyWhenLiveAndSomethingChanged();
    void moveStartedInTheToolIsDrawnAheadAndItsArrivalComparedWithThePlan();
    void planBoxPlansTheTypedMoveAndFollowsRampEdits();
    void userInputDoesWhatAPersonCouldOrSaysWhyNot_data();
    void userInputDoesWhatAPersonCouldOrSaysWhyNot();
};

void tst_Views::windowShowsTheToolAndFeedsPlotAndJournalFromItsDevice()
{
    std::unique_ptr<Session> session = loadedSession();
    PluginHost& host = session->host();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    QPointer<ToolsInterface> tool = host.tool();
    QVERIFY(tool);
    QVERIFY2(window.isAncestorOf(tool), "the tool is shown inside the window");
    QVERIFY(!tool->isHidden() && tool->traceCount() > 0);

    SimulatedModule* module = host.module();
    QCOMPARE(session->journal().totalLines(), module->journal()->lines().size());
    module->moveToPosition(0, 123);
    QCOMPARE(shownLines(session->journal()).last(), QStringLiteral("0.000 s  m0 move 123"));
    QCOMPARE(window.motionPlot()->motors(), QList<quint8>{0});

    // Closing the window hands the tool back to the host, which destroys it.
    window.toolPanel()->hideTool();
    QVERIFY(tool->isHidden());
    host.closeTool(0);
    QVERIFY(!tool);
    QVERIFY(!window.toolPanel()->tool());
    QCOMPARE(window.motionPlot()->motors(), QList<quint8>());
}

void tst_Views::pickingAnotherProductOpensItsToolOnAFreshModule()
{
    std::unique_ptr<Session> session = loadedSession();
    PluginHost* host = &session->host();
    MainWindow window(*session);
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
    QVERIFY(host->tool()->traceCount() > 0);

    // The Orsax module has two motors; checking the second opens its tool
    // beside the first, unchecking the first closes that one.
    QPointer<ToolsInterface> motor0 = host->tool();
    auto* motor1 = window.findChild<QToolButton*>(QStringLiteral("motor1"));
    QVERIFY(motor1 && !motor1->isChecked());
    QVERIFY(!window.findChild<QToolButton*>(QStringLiteral("motor2")));
    QCOMPARE(UserInput::set(motor1, QStringLiteral("on"), &error), UserInput::Done);
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    QCOMPARE(host->tools().size(), 2);
    QVERIFY(host->tool(0)->traceCount() > 0 && host->tool(1)->traceCount() > 0);
    QCOMPARE(window.motionPlot()->motors(), QList<quint8>({0, 1}));
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

void tst_Views::toolsGoIntoTabsWhenTheyNoLongerFitSideBySide()
{
    std::unique_ptr<Session> session = loadedSession();
    PluginHost* host = &session->host();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error) && window.openMotor(1, &error), qPrintable(error));
    window.show();
    const auto* area = window.findChild<ToolArea*>();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("toolTabs"));
    QTRY_VERIFY(!tabs->isVisible());
    // Working in a tool makes it the current one.
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    QApplication::setActiveWindow(&window);
    host->tool(0)->findChild<QWidget*>(QStringLiteral("sbTargetPosition"))->setFocus();
    QTRY_COMPARE(host->tool()->motorNumber(), quint8(0));
    // Both tools open their ramp panels: together they are wider than the window.
    for (ToolsInterface* tool : host->tools())
        QCOMPARE(UserInput::click(tool->findChild<QWidget*>(QStringLiteral("pbOpenClose")), &error), UserInput::Done);
    QTRY_VERIFY(tabs->isVisible());
    // The tool worked in stays current (the panels moving take the focus along) and its tab is shown.
    QCOMPARE(host->tool()->motorNumber(), quint8(0));
    QCOMPARE(tabs->currentWidget(), area->panel(0));
    tabs->setCurrentIndex(1);
    QCOMPARE(host->tool()->motorNumber(), quint8(1));
    QCOMPARE(window.toolPanel(), area->panel(1));
}

void tst_Views::productThePlugInDoesNotServeGetsANoteAndLongTextsAreElided()
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
    // A product file of a built-in variant takes its place.
    const int builtIn = catalog.entries().size();
    QVERIFY2(catalog.addFile(writeFile(dir, QStringLiteral("40.xml"), zellProductAs(40, "Mine")), &error),
             qPrintable(error));
    QCOMPARE(catalog.entries().size(), builtIn);
    QCOMPARE(catalog.find(40)->designation, QStringLiteral("Mine"));
    Session session(std::move(catalog));
    QVERIFY(session.host().load(pluginDirectory(), &error));
    MainWindow window(session);
    QVERIFY(!window.openProduct(77, 0, &error));
    QVERIFY2(error.startsWith(QLatin1String("the plug-in does not serve product variant 77 (DDD")),
             qPrintable(error.left(80)));
    QVERIFY(!session.host().tool());
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

void tst_Views::journalViewShowsTimedLinesFiltersClearsAndSaves()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(40);
    module->moveToPosition(0, 10);
    JournalModel model;
    model.setJournal(module->journal());
    JournalView view(model);
    module->device()->advance(1250);
    module->moveToPosition(0, 20);
    module->readChannelRegister(quint16(0x0041), 0, nullptr);
    QCOMPARE(model.totalLines(), 3);

    view.setFilter(QStringLiteral("MOVE 2"));
    QCOMPARE(shownLines(model), QStringList{"1.250 s  m0 move 20"});
    QTemporaryDir dir;
    QString error;
    QVERIFY2(view.saveTo(dir.filePath(QStringLiteral("journal.txt")), &error), qPrintable(error));
    QFile saved(dir.filePath(QStringLiteral("journal.txt")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("1.250 s  m0 move 20\n"));
    QVERIFY2(!view.saveTo(dir.filePath(QStringLiteral("missing/journal.txt")), &error), "a bad path is refused");
    QVERIFY(error.contains(QLatin1String("missing")));

    view.setFilter(QString());
    view.clear();
    QCOMPARE(model.totalLines(), 0);
    QCOMPARE(module->journal()->lines().size(), 3); // the module keeps its journal
    module->moveToPosition(0, 30);
    QCOMPARE(shownLines(model), QStringList{"1.250 s  m0 move 30"});
    // Another module's journal replaces what is shown.
    std::unique_ptr<SimulatedModule> other = Fixture::makeModule(40);
    model.setJournal(other->journal());
    module->moveToPosition(0, 1);
    QCOMPARE(model.totalLines(), 0);
}

void tst_Views::journalMotorFilterNarrowsWhatTheTextFilterShows()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(100);
    JournalModel model;
    model.setJournal(module->journal());
    JournalView view(model);
    view.setMotorCount(2);
    module->moveToPosition(0, 30);
    module->moveToPosition(1, 30);
    module->moveToPosition(1, 40);
    QString error;
    QCOMPARE(UserInput::set(view.findChild<QComboBox*>(QStringLiteral("journalMotorFilter")), QStringLiteral("Motor 1"),
                            &error),
             UserInput::Done);
    view.setFilter(QStringLiteral("move 3"));
    QCOMPARE(shownLines(model), QStringList{"0.000 s  m1 move 30"});
    QCOMPARE(view.findChild<QLabel*>(QStringLiteral("journalCount"))->text(), QStringLiteral("1 of 3 lines"));
    // A product with one motor: motor 1 is gone from the filter, every motor's lines show.
    view.setMotorCount(1);
    QCOMPARE(view.motorFilter(), -1);
    QCOMPARE(shownLines(model).size(), 2);
}

void tst_Views::plotDrawsEveryMotorOfTheStoreAndTheLegendHidesCurves()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(100);
    SampleStore samples;
    MovePlans plans;
    samples.setDevice(module->device());
    MotionPlot plot(samples, plans);
    samples.addMotor(1);
    samples.addMotor(0);
    QCOMPARE(plot.motors(), QList<quint8>({0, 1}));

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
    if (!actual)
        QFAIL("the plot has no curve \"m1 actual\"");
    QCPPlottableLegendItem* entry = customPlot->legend->itemWithPlottable(actual);
    QTest::mouseClick(customPlot, Qt::LeftButton, Qt::NoModifier, entry->rect().center());
    QVERIFY2(!actual->visible(), "the clicked curve is hidden");
    QVERIFY(entry->textColor() != QColor(Qt::black));
    QVERIFY(plot.autoScale());
    QTest::mouseClick(customPlot, Qt::LeftButton, Qt::NoModifier, entry->rect().center());
    QVERIFY2(actual->visible(), "a second click shows it again");
    samples.removeMotor(1);
    QCOMPARE(plot.motors(), QList<quint8>{0});
}

void tst_Views::plotRedrawsOnlyWhenLiveAndSomethingChanged()
{
    std::unique_ptr<SimulatedModule> module = Fixture::makeModule(40);
    SampleStore samples;
    MovePlans plans;
    samples.setDevice(module->device());
    samples.addMotor(0);
    MotionPlot plot(samples, plans);
    plot.resize(900, 500);
    plot.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plot));
    auto* customPlot = plot.findChild<QCustomPlot*>(QStringLiteral("motionPlot"));
    QSignalSpy replots(customPlot, &QCustomPlot::afterReplot);

    // Not live: nothing is drawn until asked.
    module->device()->advance(20);
    samples.sample();
    QTest::qWait(3 * MotionPlot::RedrawMs);
    QCOMPARE(replots.count(), 0);
    plot.replotNow();
    QCOMPARE(replots.count(), 1);

    // Live: changes within a frame's time are drawn once, soon while something moves.
    plot.setLive(true);
    QVERIFY(module->device()->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    module->device()->moveTo(0, 100000);
    for (int i = 0; i < 3; ++i) {
        module->device()->advance(20);
        samples.sample();
    }
    QTRY_COMPARE_WITH_TIMEOUT(replots.count(), 2, MotionPlot::IdleRedrawMs / 2);
    // The motor jumps to its target (out of position mode) and stays there:
    // the jump is drawn soon, then only time passes, drawn again but not as soon.
    QVERIFY(module->device()->setValue(0, QStringLiteral("MOTION_MODE"), 0));
    module->device()->advance(20);
    samples.sample();
    QTRY_COMPARE_WITH_TIMEOUT(replots.count(), 3, MotionPlot::IdleRedrawMs / 2);
    for (int i = 0; i < 3; ++i) {
        module->device()->advance(20);
        samples.sample();
    }
    QVERIFY(samples.stillAtLastInstant());
    QTest::qWait(3 * MotionPlot::RedrawMs);
    QCOMPARE(replots.count(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(replots.count(), 4, 2 * MotionPlot::IdleRedrawMs);
    // Nothing sampled, nothing drawn.
    QTest::qWait(MotionPlot::IdleRedrawMs + MotionPlot::RedrawMs);
    QCOMPARE(replots.count(), 4);
}

void tst_Views::moveStartedInTheToolIsDrawnAheadAndItsArrivalComparedWithThePlan()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    PluginHost* host = &session->host();
    session->advance(500);
    QCOMPARE(UserInput::set(host->tool()->findChild<QWidget*>(QStringLiteral("sbTargetPosition")),
                            QStringLiteral("100000"), &error),
             UserInput::Done);
    QCOMPARE(UserInput::click(host->tool()->findChild<QWidget*>(QStringLiteral("btnMoveAbsolute")), &error),
             UserInput::Done);
    session->advance(20);

    // The Zell default ramp: A1 to 10000/s, A2 to 30000/s, AMAX to 50000/s, cruise, and down again.
    MotionPlot* plot = window.motionPlot();
    const QVector<QPointF> position = plot->planned(MovePlans::Move, MotionPlot::Actual);
    const QVector<QPointF> velocity = plot->planned(MovePlans::Move, MotionPlot::Velocity);
    QVERIFY(!position.isEmpty());
    QCOMPARE(position.first(), QPointF(0.5, 0));
    QCOMPARE(position.last().y(), 100000.0);
    QVERIFY2(std::abs(position.last().x() - 3.412) < 0.001, qPrintable(QString::number(position.last().x())));
    QCOMPARE(std::max_element(velocity.begin(), velocity.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); })->y(),
             50000.0);
    QCOMPARE(plot->phaseMarks(), QStringList({"0.000 A1", "0.063 A2", "0.396 AMAX", "1.396 VMAX", "1.517 DMAX",
                                              "2.517 D2", "2.850 D1", "2.912 VSTOP"}));

    for (int i = 0; i < 200 && !window.statusBar()->currentMessage().startsWith(QLatin1String("arrived")); ++i)
        session->advance(20);
    const QString message = window.statusBar()->currentMessage();
    const QRegularExpression pattern(
        QStringLiteral("^arrived after (\\d+\\.\\d{3}) s \\(planned (\\d+\\.\\d{3}) s\\)$"));
    const QRegularExpressionMatch match = pattern.match(message);
    QVERIFY2(match.hasMatch(), qPrintable(message));
    QVERIFY2(std::abs(match.captured(1).toDouble() - match.captured(2).toDouble()) <= 0.002, qPrintable(message));
    QCOMPARE(match.captured(2), QStringLiteral("2.912"));

    // Another product: the arrival spoke of the one before.
    QVERIFY2(window.openProduct(135, 0, &error), qPrintable(error));
    QCOMPARE(window.statusBar()->currentMessage(), QString());
}

void tst_Views::planBoxPlansTheTypedMoveAndFollowsRampEdits()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    PluginHost* host = &session->host();
    SimulatedDevice* device = host->module()->device();
    auto* summary = window.findChild<QLabel*>(QStringLiteral("planSummary"));
    auto* phases = window.findChild<QTableWidget*>(QStringLiteral("planPhases"));
    QVERIFY(summary && phases);
    QCOMPARE(phases->rowCount(), 0);

    // A fresh tool, not yet in position mode: the plan is the move the tool makes, which switches it on.
    window.planBox()->setMove(PlanBox::Relative, 100000);
    QCOMPARE(summary->text(), QStringLiteral("Duration 2.912 s, peak velocity 50000 positions/s"));
    QCOMPARE(phases->rowCount(), 8);
    QCOMPARE(phases->item(3, 0)->text(), QStringLiteral("VMAX"));
    QCOMPARE(phases->item(3, 2)->text(), QStringLiteral("6042"));
    qint64 distance = 0;
    for (int row = 0; row < phases->rowCount(); ++row)
        distance += phases->item(row, 2)->text().toLongLong();
    QCOMPARE(distance, qint64(100000)); // the rows add up to the move

    // No allowed velocity: the motor does not move.
    QVERIFY(device->setValue(0, QStringLiteral("RAMPER_V_MAX"), 0));
    QCOMPARE(summary->text(), QStringLiteral("Never arrives: with a maximum velocity of 0 the motor does not move"));
    // The slowest one: a hundredth of a position a second, not rounded away.
    QVERIFY(device->setValue(0, QStringLiteral("RAMPER_V_MAX"), 1));
    QVERIFY2(summary->text().endsWith(QLatin1String("peak velocity 0.01 positions/s")), qPrintable(summary->text()));
    QVERIFY(device->setValue(0, QStringLiteral("RAMPER_V_MAX"), 5000000));
    QCOMPARE(window.motionPlot()->planned(MovePlans::Preview, MotionPlot::Actual).last().y(), 100000.0);

    // The user lowers VMAX in the tool's ramp table; the plan follows once the write reaches the device.
    QCOMPARE(UserInput::click(host->tool()->findChild<QWidget*>(QStringLiteral("pbOpenClose")), &error), UserInput::Done);
    QCOMPARE(UserInput::set(host->tool()->findChild<QWidget*>(QStringLiteral("RAMPER_V_MAX")),
                            QStringLiteral("4000000"), &error),
             UserInput::Done);
    QVERIFY2(summary->text().endsWith(QLatin1String("peak velocity 40000 positions/s")), qPrintable(summary->text()));

    // An absolute target behind the motor, and a motor that moves: the plan starts where it is.
    window.planBox()->setMove(PlanBox::Absolute, -5000);
    QCOMPARE(session->plans().preview().phases.last().endPosition, -5000.0);
    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    device->moveTo(0, 50000);
    session->advance(500);
    QCOMPARE(phases->item(0, 0)->text(), QStringLiteral("brake"));
    QVERIFY2(window.motionPlot()->planned(MovePlans::Preview, MotionPlot::Actual).isEmpty(),
             "no preview while the motor moves");
}

void tst_Views::userInputDoesWhatAPersonCouldOrSaysWhyNot_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("action"); // set VALUE, click, or enter (hover)
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("result");
    // After Done, the property that shows it as "NAME=VALUE"; after Failed, the message.
    QTest::addColumn<QString>("outcome");
    struct Row
    {
        const char *tag, *kind, *action, *value;
        bool enabled;
        UserInput::Result result;
        const char* outcome;
    };
    const Row rows[] = {
        {"spin box typed", "spinBox", "set", "-0x10", true, UserInput::Done, "value=-16"},
        {"spin box beyond its range", "spinBox", "set", "101", true, UserInput::Failed,
         "101 is out of the range of spin box \"spinBox\" (QSpinBox) (-100 to 100)"},
        {"spin box, not a number", "spinBox", "set", "ten", true, UserInput::Failed,
         "bad number \"ten\" for spin box \"spinBox\" (QSpinBox)"},
        {"spin box disabled", "spinBox", "set", "5", false, UserInput::Disabled, "value=0"},
        {"other spin box typed", "doubleSpinBox", "set", "2.5", true, UserInput::Done, "value=2.5"},
        {"other spin box disabled", "doubleSpinBox", "set", "2.5", false, UserInput::Disabled, "value=0"},
        {"combo box item", "comboBox", "set", "second item", true, UserInput::Done, "currentIndex=1"},
        {"combo box without the item", "comboBox", "set", "third", true, UserInput::Failed,
         "combo box \"comboBox\" (QComboBox) has no item \"third\""},
        {"combo box disabled", "comboBox", "set", "second item", false, UserInput::Disabled, "currentIndex=0"},
        {"check box on", "checkBox", "set", "on", true, UserInput::Done, "checked=true"},
        {"check box, neither on nor off", "checkBox", "set", "yes", true, UserInput::Failed,
         "expected on or off, not \"yes\""},
        {"check box disabled", "checkBox", "set", "on", false, UserInput::Disabled, "checked=false"},
        {"button that does not check", "pushButton", "set", "on", true, UserInput::Failed,
         "button \"pushButton\" (QPushButton) is not checkable"},
        {"group on", "checkableGroup", "set", "on", true, UserInput::Done, "checked=true"},
        {"group disabled", "checkableGroup", "set", "on", false, UserInput::Disabled, "checked=false"},
        {"group that does not check", "group", "set", "on", true, UserInput::Failed,
         "group \"group\" (QGroupBox) is not checkable"},
        {"line edit typed", "lineEdit", "set", "a b", true, UserInput::Done, "text=a b"},
        {"line edit disabled", "lineEdit", "set", "a b", false, UserInput::Disabled, "text="},
        {"label", "label", "set", "x", true, UserInput::Failed,
         "\"label\" (QLabel) is not a spin box, combo box, checkable button or group"},
        {"set on no widget", "object", "set", "1", true, UserInput::Failed, "\"object\" (QObject) is not a widget"},
        {"click a label", "label", "click", "", true, UserInput::Failed, "\"label\" (QLabel) is not a button"},
        {"click disabled", "checkBox", "click", "", false, UserInput::Disabled, "checked=false"},
        {"hover a widget", "label", "enter", "", true, UserInput::Done, "objectName=label"},
        {"hover no widget", "object", "enter", "", true, UserInput::Failed, "\"object\" (QObject) is not a widget"},
    };
    for (const Row& row : rows) {
        QTest::newRow(row.tag) << QString(row.kind) << QString(row.action) << QString(row.value) << row.enabled
                               << int(row.result) << QString(row.outcome);
    }
}

// What a script's set, click and hover do to each kind of widget: what a
// person could do happens, what they could not (a disabled widget) does not,
// and a mistake says which widget and why.
void tst_Views::userInputDoesWhatAPersonCouldOrSaysWhyNot()
{
    QFETCH(QString, kind);
    QFETCH(QString, action);
    QFETCH(QString, value);
    QFETCH(bool, enabled);
    QFETCH(int, result);
    QFETCH(QString, outcome);
    const std::unique_ptr<QObject> target = inputTarget(kind);
    if (auto* widget = qobject_cast<QWidget*>(target.get()))
        widget->setEnabled(enabled);
    QString error;
    UserInput::Result done = UserInput::Failed;
    if (action == QLatin1String("set"))
        done = UserInput::set(target.get(), value, &error);
    else if (action == QLatin1String("click"))
        done = UserInput::click(target.get(), &error);
    else
        done = UserInput::hover(target.get(), true, &error);
    QCOMPARE(int(done), result);
    if (done == UserInput::Failed) {
        QCOMPARE(error, outcome);
        return;
    }
    const QString name = outcome.section(QLatin1Char('='), 0, 0);
    QCOMPARE(target->property(name.toLatin1()).toString(), outcome.section(QLatin1Char('='), 1));
}

QTEST_MAIN(tst_Views)
#include "tst_views.moc"
