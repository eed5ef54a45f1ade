// SPDX-License-Identifier: MIT
#include "core/toolsinterface.h"
#include "designbox.h"
#include "device/journal.h"
#include "device/simulatedmodule.h"
#include "mainwindow.h"
#include "motionplot.h"
#include "session.h"
#include "workbenchsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace WorkbenchSupport;

namespace {
// Types into a box of the Design part as a person does, and confirms.
void type(QWidget* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Enter);
}

QStringList lines(const QString& text)
{
    QStringList result = text.split(QLatin1Char('\n'));
    result.removeAll(QString());
    return result;
}

// The journal lines of a script's output, without what `design` printed.
QStringList journalOf(const QString& out)
{
    QStringList result = lines(out);
    result.erase(std::remove_if(result.begin(), result.end(),
                                [](const QString& line) {
                                    return line.startsWith(QLatin1String("design."))
                                           || line.startsWith(QLatin1String("plan."));
                                }),
                 result.end());
    return result;
}
} // namespace

// The window's Design part: what it shows, and Apply and Undo written as a
// script's `design` and `design apply` write, which a recording replays.
class tst_Design : public QObject
{
    Q_OBJECT

private slots:
    void applyAndUndoInTheWindowWriteWhatTheScriptWritesAndReplay_data();
    void applyAndUndoInTheWindowWriteWhatTheScriptWritesAndReplay();
    void thePartShowsTheProposalOrTheLimitTheScriptPrints();
    void aRampSwitchedOffIsNotWritten();
    void aMoveIsDesignedFromWhereTheMotorIs();
    void badDesignLinesAreRefusedWithOneMessage_data();
    void badDesignLinesAreRefusedWithOneMessage();
};

void tst_Design::applyAndUndoInTheWindowWriteWhatTheScriptWritesAndReplay_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("line"); // the design the recording holds
    // Register editors sharing registers, register fields, parameter editors
    // (rotary and linear), the eight-point parameter tool, and the tool
    // without ramp editors (the host's register model writes).
    for (int variant : {40, 135, 105, 108, 139, 100})
        QTest::addRow("%d", variant) << variant << int(RampDesigner::Rule::Scaled) << "design 80000 2.25";
    QTest::newRow("105 gentlest") << 105 << int(RampDesigner::Rule::Gentlest) << "design 80000 2.25 gentlest";
    QTest::newRow("139 fastest") << 139 << int(RampDesigner::Rule::Fastest) << "design 80000 fastest 60000 150000";
}

void tst_Design::applyAndUndoInTheWindowWriteWhatTheScriptWritesAndReplay()
{
    QFETCH(int, variant);
    QFETCH(int, rule);
    QFETCH(QString, line);
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(variant, 0, &error), qPrintable(error));
    window.show();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("design.wbs"));
    QVERIFY2(window.startRecording(path, &error), qPrintable(error));

    DesignBox* design = window.designBox();
    const auto values = [&session] {
        QStringList result;
        for (const RampDesigner::Setting& s : RampDesigner::ramp(*session->module()->device(), 0).settings)
            result << QStringLiteral("%1=%2").arg(s.name).arg(s.now);
        return result;
    };
    const QStringList before = values();
    type(design->findChild<QSpinBox*>(QStringLiteral("designDistance")), QStringLiteral("80000"));
    type(design->findChild<QDoubleSpinBox*>(QStringLiteral("designSeconds")), QStringLiteral("2.25"));
    // The limits take input only for the fastest move.
    design->findChild<QComboBox*>(QStringLiteral("designRule"))->setCurrentIndex(rule);
    type(design->findChild<QDoubleSpinBox*>(QStringLiteral("designMaxVelocity")), QStringLiteral("60000"));
    type(design->findChild<QDoubleSpinBox*>(QStringLiteral("designMaxAcceleration")), QStringLiteral("150000"));
    auto* apply = design->findChild<QPushButton*>(QStringLiteral("designApply"));
    auto* undo = design->findChild<QPushButton*>(QStringLiteral("designUndo"));
    QVERIFY2(apply->isEnabled() && !undo->isEnabled(), "a proposal to apply, nothing to undo yet");
    QTest::mouseClick(apply, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY2(undo->isEnabled(), "the Apply can be undone");
    QVERIFY2(values() != before, "Apply changed the ramp");
    const QStringList applied = session->module()->journal()->lines();
    // The Orsax tool has no ramp editors: the host's register model writes, and the journal says so.
    QCOMPARE(applied.count(QStringLiteral("m0 host register editor: the tool has no ramp editors")),
             variant == 100 ? 1 : 0);
    QTest::mouseClick(undo, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(!undo->isEnabled());
    QCOMPARE(values(), before);
    const QStringList journal = session->module()->journal()->lines();
    window.stopRecording();
    QVERIFY2(journal.size() > applied.size() && applied.size() > 2, "Apply and Undo each wrote");

    // The recording holds the design and its Apply and Undo, and replays to the same journal.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray recorded = file.readAll();
    const QStringList script = lines(QString::fromUtf8(recorded));
    const int designed = script.indexOf(line);
    QVERIFY2(designed > 0 && script.indexOf(QStringLiteral("design apply")) > designed
                 && script.indexOf(QStringLiteral("design undo")) > designed,
             recorded.constData());
    Run run = runScript(recorded + "journal\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n')));
    QCOMPARE(journalOf(run.out), journal);

    // A script written by hand writes the same as the window's Apply.
    run = runScript(QStringLiteral("product %1\nopen\nshow\n%2\ndesign apply\njournal\n").arg(variant).arg(line).toUtf8());
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n')));
    QCOMPARE(journalOf(run.out), applied);
}

void tst_Design::thePartShowsTheProposalOrTheLimitTheScriptPrints()
{
    std::unique_ptr<Session> session = loadedSession();
    MainWindow window(*session);
    QString error;
    QVERIFY2(window.openProduct(40, 0, &error), qPrintable(error));
    DesignBox* design = window.designBox();
    // Drawn over the plot while the Design tab is shown, not beside the Plan.
    QVERIFY(window.motionPlot()->designed(true).isEmpty());
    window.findChild<QTabWidget*>(QStringLiteral("planDesignTabs"))->setCurrentWidget(design);
    type(design->findChild<QDoubleSpinBox*>(QStringLiteral("designSeconds")), QStringLiteral("5.825"));
    const Run run = runScript("product 40\nopen\nshow\ndesign 100000 5.825\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n')));
    QStringList printed;
    for (const QString& line : lines(run.out)) {
        if (line.startsWith(QLatin1String("design.")))
            printed << line;
    }
    // One row per setting that changes: name, now, proposed.
    auto* table = design->findChild<QTableWidget*>(QStringLiteral("designSettings"));
    QStringList shown;
    for (int row = 0; row < table->rowCount(); ++row) {
        shown << QStringLiteral("design.%1 = %2").arg(table->item(row, 0)->text(), table->item(row, 2)->text());
    }
    QCOMPARE(shown, printed);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("RAMPER_A1"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("16000"));
    QString summary = design->findChild<QLabel*>(QStringLiteral("designSummary"))->text();
    QVERIFY2(summary == QLatin1String("Proposed 5.825 s, peak 25000/s (now 2.912 s, 50000/s)"), qPrintable(summary));
    // The proposed move drawn from the motor's place, ending on its target.
    const QVector<QPointF> proposed = window.motionPlot()->designed(true);
    const QVector<QPointF> now = window.motionPlot()->designed(false);
    QVERIFY(!proposed.isEmpty() && !now.isEmpty());
    QCOMPARE(proposed.last().x() - proposed.first().x(), design->shown().plan.arrival);
    QCOMPARE(proposed.last().y(), 100000.0);
    QVERIFY2(now.last().x() < proposed.last().x(), "the move now arrives before the slower proposal");

    // Beyond the ranges: the limit that binds, and nothing to apply; the script says the same.
    type(design->findChild<QDoubleSpinBox*>(QStringLiteral("designSeconds")), QStringLiteral("1"));
    summary = design->findChild<QLabel*>(QStringLiteral("designSummary"))->text();
    QVERIFY2(summary == QLatin1String("RAMPER_V_MAX binds: the shortest to be had is 1.736 s (now 2.912 s)"),
             qPrintable(summary));
    QVERIFY(!design->findChild<QPushButton*>(QStringLiteral("designApply"))->isEnabled());
    checkRefused(
        runScript("product 40\nopen\ndesign 100000 1\ndesign apply\n"),
        QStringLiteral("design.infeasible = RAMPER_V_MAX 1.736\n"),
        QStringLiteral("*:4: error: the last design cannot be had (RAMPER_V_MAX binds at 1.736 s): nothing to apply"));

    // A script's design shows in the part as if typed there.
    window.session().designs().design(0, RampDesigns::Goal{-3000, 0.5, RampDesigner::Rule::Scaled, 0, 0});
    QCOMPARE(design->findChild<QSpinBox*>(QStringLiteral("designDistance"))->value(), -3000);
    QCOMPARE(design->findChild<QDoubleSpinBox*>(QStringLiteral("designSeconds"))->value(), 0.5);
}

void tst_Design::aMoveIsDesignedFromWhereTheMotorIs()
{
    const Run run = runScript("product 100\nopen\nshow\nset sbTargetPosition 5000\nclick btnMoveAbsolute\n"
                              "advance 5000\ndesign 1000 1\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors.join('\n')));
    QVERIFY2(run.out.endsWith(QLatin1String("plan.phase = AMAX 0.000 0.500 5000 5500 0 2000\n"
                                            "plan.phase = DMAX 0.500 1.000 5500 6000 2000 0\n")),
             qPrintable(run.out));
}

void tst_Design::aRampSwitchedOffIsNotWritten()
{
    // The editors of a ramp switched off take no input, so nothing is written.
    const Run run = runScript("product 135\nopen\nshow\nset pbOpenClose off\nset gbRampEnable off\njournal\n"
                              "design 100000 2\ndesign apply\n");
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.size() == 1
                 && run.errors.first().endsWith(QLatin1String(
                     ":8: error: the tool's editor \"RAMPER_A1\" is disabled (is the ramp switched off?)")),
             qPrintable(run.errors.join('\n')));
    QVERIFY2(!run.out.contains(QLatin1String("write field RAMPER_A1")), qPrintable(run.out));
    // A tool disabled by its commutation mode says so, not that the ramp is off.
    const Run disabled = runScript(
        "product 105\nopen\nshow\ndevice commutationMode 0\nrefresh\ndesign 100000 2\ndesign apply\n");
    QCOMPARE(disabled.exitCode, 2);
    QVERIFY2(disabled.errors.size() == 1
                 && disabled.errors.first().endsWith(QLatin1String(
                     ":7: error: the tool is disabled: Commutation mode is set to \"disabled\". This tool is not "
                     "supported in this case.")),
             qPrintable(disabled.errors.join('\n')));
}

void tst_Design::badDesignLinesAreRefusedWithOneMessage_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("no duration") << QByteArray("design 100000")
                                 << "design 100000 takes SECONDS [gentlest] or fastest VMAX AMAX, not 0 more words";
    QTest::newRow("a word too many") << QByteArray("design 100000 1.5 gently")
                                     << "design 100000 takes SECONDS [gentlest] or fastest VMAX AMAX, not 2 more words";
    QTest::newRow("not a distance") << QByteArray("design far 1.5")
                                    << "design takes DISTANCE SECONDS, \"apply\" or \"undo\", not \"far\"";
    QTest::newRow("not seconds") << QByteArray("design 1000 1.5s")
                                 << "bad number \"1.5s\" for SECONDS (a decimal number, as 1.5)";
    QTest::newRow("a limit missing") << QByteArray("design 1000 fastest 50000")
                                     << "design 1000 takes SECONDS [gentlest] or fastest VMAX AMAX, not 2 more words";
    QTest::newRow("bad limit") << QByteArray("design 1000 fastest 50000 -1")
                               << "bad number \"-1\" for AMAX (a decimal number, as 1.5)";
    QTest::newRow("no move") << QByteArray("design 0 1")
                             << "a move of 0 cannot be designed: the distance is 1 to 2147483647 either way";
    QTest::newRow("apply first") << QByteArray("design apply")
                                 << "there is no design to apply: \"design DISTANCE SECONDS\" comes first";
    QTest::newRow("undo first") << QByteArray("design undo") << "there is no applied design to undo";
    QTest::newRow("apply what") << QByteArray("design apply now") << "design apply takes nothing more, not \"now\"";
}

void tst_Design::badDesignLinesAreRefusedWithOneMessage()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, error);
    checkRefused(runScript("product 40\nopen\n" + line + "\n"), QString(), QStringLiteral("*:3: error: ") + error);
}

QTEST_MAIN(tst_Design)
#include "tst_design.moc"
