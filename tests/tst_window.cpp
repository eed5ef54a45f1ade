// SPDX-License-Identifier: MIT
#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "journalview.h"
#include "mainwindow.h"
#include "messagelog.h"
#include "motionplot.h"
#include "session.h"
#include "toolarea.h"
#include "toolpanel.h"
#include "userinput.h"
#include "workbenchoptions.h"
#include "workbenchsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <qcustomplot.h>

#include <memory>

using namespace WorkbenchSupport;

namespace {
constexpr QSize kSmallScreen(1280, 800);

QWidget* toolWidget(Session& session, quint8 motor, const char* name)
{
    ToolsInterface* tool = session.host().tools().value(motor);
    for (ToolsInterface* open : session.host().tools()) {
        if (open->motorNumber() == motor)
            tool = open;
    }
    return tool ? tool->findChild<QWidget*>(QLatin1String(name)) : nullptr;
}
// The mnemonic letter of a text ("&Product:" has P), 0 without one.
QChar mnemonic(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (text.at(i + 1) != QLatin1Char('&'))
                return text.at(i + 1).toUpper();
            ++i;
        }
    }
    return QChar();
}

} // namespace

// The window as people use it: on a small screen, with the keyboard alone,
// reading its plot and its messages.
class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void windowOpensWithinTheScreen();
    void onASmallScreenTheToolScrollsInsteadOfSqueezingItsEditors();
    void filterAndCombosShowTheirTextAndThePlanKeepsRoomAtItsEnd();
    void keyboardReachesEverythingOnceAndLeavesTables();
    void autoScaleFitsEachAxisToItsCurvesInView();
    void messagesGoToTheirViewAndToAScriptOnlyWhenVerbose();
    void disabledToolsHintStaysReadable();
    void windowSizesAreTakenAsTyped();
    void mnemonicsAreUniqueAndRecordingHasShortcuts();
    void aMoveThatNeverArrivesIsDrawnWithoutArrival();
};

void tst_Window::windowOpensWithinTheScreen()
{
    const QRect small(0, 0, kSmallScreen.width(), kSmallScreen.height());
    const QRect opened = MainWindow::openingGeometry(small);
    QVERIFY2(small.contains(opened), qPrintable(QStringLiteral("%1x%2").arg(opened.width()).arg(opened.height())));
    QVERIFY(opened.height() >= 700);
    // A large screen (with a panel on its left) gets the default size, centred on its free area.
    const QRect large(60, 0, 1860, 1200);
    const QRect roomy = MainWindow::openingGeometry(large);
    QCOMPARE(roomy.size(), MainWindow::DefaultSize);
    QCOMPARE(roomy.center(), large.center());
}

void tst_Window::onASmallScreenTheToolScrollsInsteadOfSqueezingItsEditors()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.resize(kSmallScreen);
    window.show();
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error), qPrintable(error));
    QCOMPARE(UserInput::click(toolWidget(*session, 0, "pbOpenClose"), &error), UserInput::Done);
    QApplication::processEvents();
    QApplication::processEvents();
    const QList<QSpinBox*> editors = session->host().tool()->findChildren<QSpinBox*>();
    int checked = 0;
    for (const QSpinBox* editor : editors) {
        if (!editor->isVisibleTo(session->host().tool()))
            continue;
        ++checked;
        QVERIFY2(editor->height() >= editor->minimumSizeHint().height(),
                 qPrintable(QStringLiteral("%1 is %2 px high").arg(editor->objectName()).arg(editor->height())));
    }
    QVERIFY(checked >= 14);
    auto* scroll = window.toolPanel()->findChild<QScrollArea*>();
    QVERIFY(scroll->verticalScrollBar()->isVisible());
    // Plot, plan and journal stay in the window.
    const auto* journal = window.findChild<JournalView*>();
    QVERIFY(window.rect().contains(QRect(journal->mapTo(&window, QPoint()), journal->size())));
}

void tst_Window::filterAndCombosShowTheirTextAndThePlanKeepsRoomAtItsEnd()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.resize(kSmallScreen);
    window.show();
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    QApplication::processEvents();
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("journalFilter"));
    QVERIFY(filter->width() >= filter->fontMetrics().horizontalAdvance(QStringLiteral("Filter (Ctrl+F): text")));
    auto* commutation = window.findChild<QComboBox*>(QStringLiteral("commutationExport"));
    QVERIFY2(window.openProduct(108, 0, &error), qPrintable(error));
    QApplication::processEvents();
    int widest = 0;
    for (int i = 0; i < commutation->count(); ++i)
        widest = qMax(widest, commutation->fontMetrics().horizontalAdvance(commutation->itemText(i)));
    QVERIFY2(commutation->width() > widest, qPrintable(QString::number(commutation->width())));

    // The arrival of a planned move is in view, with room after it.
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    session->advance(30000); // the view follows the time, 20 s wide
    QCOMPARE(UserInput::set(toolWidget(*session, 0, "sbTargetPosition"), QStringLiteral("100000"), &error),
             UserInput::Done);
    QCOMPARE(UserInput::click(toolWidget(*session, 0, "btnMoveAbsolute"), &error), UserInput::Done);
    session->advance(20);
    window.motionPlot()->replotNow();
    auto* plot = window.motionPlot()->findChild<QCustomPlot*>();
    QVERIFY2(plot->xAxis->range().upper >= 30 + 2.912 + 1, qPrintable(QString::number(plot->xAxis->range().upper)));
}

void tst_Window::keyboardReachesEverythingOnceAndLeavesTables()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.resize(kSmallScreen);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error), qPrintable(error));
    QVERIFY2(window.openMotor(1, &error), qPrintable(error));
    QApplication::processEvents();

    // Forwards from the product: the motors come next, and every stop shows where it is.
    auto* product = window.findChild<QComboBox*>(QStringLiteral("productPicker"));
    product->setFocus();
    QList<QWidget*> visited;
    for (int i = 0; i < 80 && !visited.contains(QApplication::focusWidget()); ++i) {
        visited << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QVERIFY(visited.size() > 10);
    QCOMPARE(visited.value(1)->objectName(), QStringLiteral("motor0"));
    QCOMPARE(visited.value(2)->objectName(), QStringLiteral("motor1"));
    for (QWidget* stop : qAsConst(visited)) {
        const auto* scroll = qobject_cast<QAbstractScrollArea*>(stop);
        QVERIFY2(!scroll || qobject_cast<const QAbstractItemView*>(scroll), qPrintable(stop->metaObject()->className()));
        auto* table = qobject_cast<QTableWidget*>(stop);
        QVERIFY2(!table || table->rowCount() > 0, "an empty table takes no focus");
    }
    QVERIFY(visited.contains(window.findChild<QWidget*>(QStringLiteral("journalTable"))));
    // In reading order: recording, then the tools by motor, then the plot.
    const auto at = [&](QWidget* widget) { return visited.indexOf(widget); };
    const int record = at(window.findChild<QToolBar*>(QStringLiteral("sessionBar"))
                              ->widgetForAction(window.findChild<QAction*>(QStringLiteral("recordAction"))));
    const int target0 = at(toolWidget(*session, 0, "sbTargetPosition"));
    const int target1 = at(toolWidget(*session, 1, "sbTargetPosition"));
    const int pause = at(window.findChild<QWidget*>(QStringLiteral("plotPause")));
    QVERIFY2(record > 2 && record < target0 && target0 < target1 && target1 < pause,
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(record).arg(target0).arg(target1).arg(pause)));
    for (const char* name : {"plotCurves", "journalFilter", "planDistance"})
        QVERIFY2(visited.contains(window.findChild<QWidget*>(QLatin1String(name))), name);
    // A tab bar before its page, a table after the fields above it.
    auto* journal = window.findChild<QTableView*>(QStringLiteral("journalTable"));
    QWidget* planTabs = window.findChild<QTabWidget*>(QStringLiteral("planDesignTabs"))->tabBar();
    QVERIFY(at(planTabs) >= 0 && at(planTabs) < at(window.findChild<QWidget*>(QStringLiteral("planDistance"))));
    for (QPushButton* button : window.findChild<JournalView*>()->findChildren<QPushButton*>())
        QVERIFY(at(journal) > at(button));

    // The table takes the keyboard at its newest line; Tab leaves it instead of walking its cells.
    journal->setFocus();
    QCOMPARE(journal->currentIndex().row(), journal->model()->rowCount() - 1);
    QTest::keyClick(journal, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != journal);

    // The legend's entries from the keyboard: the curves menu hides a curve as a click on its entry does.
    auto* curves = window.findChild<QToolButton*>(QStringLiteral("plotCurves"));
    QMenu* menu = curves->menu();
    emit menu->aboutToShow();
    QVERIFY(menu->actions().size() >= 3);
    QAction* actual = menu->actions().at(1);
    QCOMPARE(actual->text(), QStringLiteral("m0 actual"));
    QVERIFY(actual->isChecked());
    actual->trigger();
    auto* plot = window.motionPlot()->findChild<QCustomPlot*>();
    for (int i = 0; i < plot->graphCount(); ++i)
        QCOMPARE(plot->graph(i)->visible(), plot->graph(i)->name() != actual->text());
}

void tst_Window::autoScaleFitsEachAxisToItsCurvesInView()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.show();
    QString error;
    QVERIFY2(window.openProduct(100, 0, &error), qPrintable(error));
    SimulatedDevice* device = session->module()->device();
    QVERIFY(device->setValue(0, QStringLiteral("MODE_MOTION"), 3));
    device->moveTo(0, 100000);
    session->advance(5000);
    device->moveTo(0, -150000);
    session->advance(10000);
    window.motionPlot()->replotNow();
    auto* plot = window.motionPlot()->findChild<QCustomPlot*>();
    // Positions from -150000 to 100000 fill their axis; no shared zero with the velocity squeezes them.
    const QCPRange positions = plot->yAxis->range();
    QVERIFY2(positions.lower < -150000 && positions.lower > -200000, qPrintable(QString::number(positions.lower)));
    QVERIFY2(positions.upper > 100000 && positions.upper < 150000, qPrintable(QString::number(positions.upper)));

    // Long after: what left the 20 s in view no longer counts.
    session->advance(30000);
    window.motionPlot()->replotNow();
    QVERIFY2(plot->yAxis->range().upper < 0, qPrintable(QString::number(plot->yAxis->range().upper)));
    // A motor at rest, near and far from 0: its axis ticks whole positions, each labelled differently.
    for (qint64 at : {-150000LL, 2147480000LL}) {
        QVERIFY(device->setValue(0, QStringLiteral("PID_POSITION_TARGET"), at));
        QVERIFY(device->setValue(0, QStringLiteral("PID_POSITION_ACTUAL"), at));
        session->advance(30000);
        window.motionPlot()->replotNow();
        QStringList labels = plot->yAxis->tickVectorLabels().toList();
        labels.removeDuplicates();
        QVERIFY2(labels.size() == plot->yAxis->tickVectorLabels().size() && labels.size() > 1
                     && !labels.join(' ').contains(QLatin1Char('.')) && !labels.join(' ').contains(QLatin1Char('e')),
                 qPrintable(labels.join(' ')));
    }
}

void tst_Window::messagesGoToTheirViewAndToAScriptOnlyWhenVerbose()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    MessageLog log;
    log.capture([&session] { return session->timeMs(); });
    window.setMessageLog(&log);
    QString error;
    QVERIFY2(window.openProduct(135, 0, &error), qPrintable(error));
    session->advance(1500);
    qWarning("a warning from somewhere");
    QCOMPARE(log.rowCount(), 1);
    QCOMPARE(log.index(0, MessageLog::TimeColumn).data().toString(), QStringLiteral("1.500"));
    QCOMPARE(log.index(0, MessageLog::LevelColumn).data().toString(), QStringLiteral("warning"));
    QCOMPARE(log.index(0, MessageLog::TextColumn).data().toString(), QStringLiteral("a warning from somewhere"));
    QTRY_COMPARE(window.findChild<QToolButton*>(QStringLiteral("messageCount"))->text(), QStringLiteral("1 message"));
    // Ctrl+M opens the view, whatever the count's button says.
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
    QTRY_VERIFY(window.findChild<QDockWidget*>()->isVisible());
    for (int i = 0; i < MessageLog::MaxMessages + 5; ++i)
        qDebug("line %d", i);
    QCOMPARE(log.rowCount(), MessageLog::MaxMessages);
    QCOMPARE(log.messages().last().text, QStringLiteral("line %1").arg(MessageLog::MaxMessages + 4));

    // The Zell tool says "Requested value" on every read; a script prints it only when asked.
    const QByteArray script = "product 40\nopen\nshow\nclick nosuch\n";
    const Run quiet = runScript(script);
    QCOMPARE(quiet.errors.size(), 1);
    const Run verbose = runScript(script, {QStringLiteral("--verbose")});
    QCOMPARE(verbose.errors.size(), 1);
    QVERIFY2(verbose.stderrText.contains(QLatin1String("Requested value")), qPrintable(verbose.stderrText));
    QVERIFY2(!quiet.stderrText.contains(QLatin1String("Requested value")), qPrintable(quiet.stderrText));
}

void tst_Window::disabledToolsHintStaysReadable()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.show();
    QString error;
    QVERIFY2(window.openProduct(105, 0, &error), qPrintable(error));
    auto* commutation = window.findChild<QComboBox*>(QStringLiteral("commutationExport"));
    const int openLoop = commutation->findText(QStringLiteral("open loop"), Qt::MatchContains);
    QVERIFY(openLoop >= 0);
    commutation->setCurrentIndex(openLoop);
    emit commutation->activated(openLoop);
    session->refresh();
    QApplication::processEvents();
    QVERIFY(!session->host().tool()->isEnabled());
    auto* hints = window.toolPanel()->findChild<QLabel*>(QStringLiteral("toolHints"));
    QVERIFY(hints->isVisible());
    QVERIFY(hints->isEnabled());
    QVERIFY2(hints->text().contains(QLatin1String("\"open loop\"")), qPrintable(hints->text()));
}

void tst_Window::windowSizesAreTakenAsTyped()
{
    WorkbenchOptions options;
    QString error;
    bool exitNow = false;
    QVERIFY(WorkbenchOptions::parse({QStringLiteral("workbench"), QStringLiteral("--size"), QStringLiteral("1280x800")},
                                    &options, &error, &exitNow));
    QCOMPARE(options.size, kSmallScreen);
    for (const char* bad : {"1280", "1280x", "x800", "100x800", "1280x99999", "wide"}) {
        QVERIFY2(!WorkbenchOptions::parse({QStringLiteral("workbench"), QStringLiteral("--size"), QLatin1String(bad)},
                                          &options, &error, &exitNow),
                 bad);
        QVERIFY2(error.startsWith(QLatin1String("bad window size")), qPrintable(error));
    }
}

void tst_Window::mnemonicsAreUniqueAndRecordingHasShortcuts()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(105, 0, &error), qPrintable(error));
    QMap<QChar, QString> seen;
    const auto note = [&](const QString& text) {
        const QChar letter = mnemonic(text);
        if (letter.isNull())
            return;
        QVERIFY2(!seen.contains(letter),
                 qPrintable(QStringLiteral("Alt+%1: %2 and %3").arg(letter).arg(seen.value(letter), text)));
        seen.insert(letter, text);
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->buddy())
            note(label->text());
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
        note(button->text());
    for (const QAction* action : window.actions())
        note(action->text());
    QVERIFY(seen.size() >= 10);

    auto* record = window.findChild<QAction*>(QStringLiteral("recordAction"));
    auto* stop = window.findChild<QAction*>(QStringLiteral("stopRecordingAction"));
    QVERIFY(!record->shortcut().isEmpty());
    QVERIFY(!stop->shortcut().isEmpty());
    QVERIFY(!mnemonic(record->text()).isNull());
    QVERIFY(!mnemonic(stop->text()).isNull());
}

// A move whose maximum velocity drops to 0 on the way brakes and never
// arrives: drawn to where it stops, without an arrival.
void tst_Window::aMoveThatNeverArrivesIsDrawnWithoutArrival()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    window.show();
    QString error;
    QVERIFY2(window.openProduct(105, 0, &error), qPrintable(error));
    SimulatedDevice* device = session->module()->device();
    device->moveTo(0, 1000000);
    session->advance(1000);
    QVERIFY(device->setValue(0, QStringLiteral("maxVelocity"), 0));
    device->moveTo(0, 2000000); // a move planned with no velocity allowed
    session->advance(20);
    window.motionPlot()->replotNow();
    const QVector<QPointF> planned = window.motionPlot()->planned(MovePlans::Move, MotionPlot::Velocity);
    QVERIFY(!planned.isEmpty());
    QCOMPARE(planned.last().y(), 0.0);
    auto* plot = window.motionPlot()->findChild<QCustomPlot*>();
    for (int i = 0; i < plot->graphCount(); ++i) {
        if (plot->graph(i)->name().endsWith(QLatin1String("arrival")))
            QVERIFY2(plot->graph(i)->data()->isEmpty(), "no arrival drawn");
    }
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
