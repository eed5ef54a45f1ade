// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "mainwindow.h"
#include "session.h"
#include "sessionrecorder.h"
#include "toolarea.h"
#include "toolclock.h"
#include "toolpanel.h"
#include "userinput.h"
#include "workbenchsupport.h"

#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace WorkbenchSupport;

namespace {
// The timers of tools on device time, as the window runs them (main below).
ToolClock* toolClock = nullptr;

// A session of the window, its tools' timers on device time.
std::unique_ptr<Session> windowSession()
{
    std::unique_ptr<Session> session = loadedSession();
    session->setVirtualTimers(toolClock->deviceTimers());
    return session;
}

// Time passes as the window's clock makes it pass: uneven ticks, a trace
// refresh about every 100 ms.
void passLikeTheClock(Session& session, int ms)
{
    for (int tick = 1; ms > 0; ms -= 17, ++tick) {
        session.advance(qMin(ms, 17));
        if (tick % 6 == 0)
            session.clockRefresh();
    }
}

// The widget that shows a product's actual position.
QString actualDisplay(int variant)
{
    return variant == 105   ? QStringLiteral("actualPosition")
           : variant == 108 ? QStringLiteral("linearActualPosition")
                            : QStringLiteral("sbActualPosition");
}
} // namespace

// A session recorded in the window replays, run as a script, to the same
// journal and the same values shown.
class tst_Recorder : public QObject
{
    Q_OBJECT

private slots:
    void everyProductReplaysAMoveToTheSameJournalAndShownPosition_data();
    void everyProductReplaysAMoveToTheSameJournalAndShownPosition();
    void recordedSessionReplaysToTheSameJournalAndTracedValue();
};

void tst_Recorder::everyProductReplaysAMoveToTheSameJournalAndShownPosition_data()
{
    QTest::addColumn<int>("variant");
    for (int variant : {40, 100, 105, 108, 135, 139})
        QTest::addRow("%d", variant) << variant;
}

void tst_Recorder::everyProductReplaysAMoveToTheSameJournalAndShownPosition()
{
    QFETCH(int, variant);
    std::unique_ptr<Session> session = windowSession();
    PluginHost* host = &session->host();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(variant, 0, &error), qPrintable(error));
    window.show();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.wbs"));
    QVERIFY2(window.startRecording(path, &error), qPrintable(error));

    // A person types a target, starts the move and watches it arrive.
    QWidget* target = host->tool()->findChild<QWidget*>(QStringLiteral("sbTargetPosition"));
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(target, QStringLiteral("100000"));
    QTest::keyClick(target, Qt::Key_Enter);
    QTest::mouseClick(host->tool()->findChild<QWidget*>(QStringLiteral("btnMoveAbsolute")), Qt::LeftButton);
    passLikeTheClock(*session, 6000);
    // A tool that shows the position from a timer of its own (139) shows it
    // as that fired on the way, at the device time it fires at in the replay.
    const QString display = actualDisplay(variant);
    QWidget* shown = host->tool()->findChild<QWidget*>(display);
    QVERIFY(shown);
    QCOMPARE(shown->property("value").toInt(), 100000);
    const QStringList journal = host->module()->journal()->lines();
    window.stopRecording();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray script = file.readAll();
    const Run run = runScript(script + "journal\nprint " + display.toUtf8() + " value\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n') + '\n' + script));
    const QStringList expected = journal + QStringList{display + QStringLiteral(".value = 100000"), QString()};
    QCOMPARE(run.out.split(QLatin1Char('\n')), expected);
}

void tst_Recorder::recordedSessionReplaysToTheSameJournalAndTracedValue()
{
    std::unique_ptr<Session> session = windowSession();
    PluginHost* host = &session->host();
    MainWindow window(*session);
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
    const auto pass = [&session](int ms) { passLikeTheClock(*session, ms); };
    const auto widget = [host](const char* name) { return host->tool()->findChild<QWidget*>(QLatin1String(name)); };
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
    QTest::mouseClick(window.findChild<ToolArea*>()->panel(1), Qt::LeftButton);
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

int main(int argc, char* argv[])
{
    toolClock = new ToolClock(&PluginHost::isInTool);
    QCoreApplication::setEventDispatcher(toolClock);
    QApplication app(argc, argv);
    toolClock->attachPlatform();
    tst_Recorder test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_recorder.moc"
