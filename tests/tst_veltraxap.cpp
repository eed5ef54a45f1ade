#include "fixture.h"
#include "core/popupinfolabel.h"
#include "model/parametercontroller.h"
#include "genericpositionmode.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QGroupBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {
constexpr int kVeltraxAp = 139;

QString write(const QString& role, qint64 value)
{
    return QStringLiteral("m0 write parameter %1 %2").arg(role).arg(value);
}
} // namespace

class tst_VeltraxAp : public QObject
{
    Q_OBJECT

private slots:
    void reloadReadsWhatShowReadsAndDefaultsWritesFifteenValues();
    void refusedTargetIsFlaggedAndPutBackSilently_data();
    void refusedTargetIsFlaggedAndPutBackSilently();
    void clearWritesTheActualPositionAndLeavesTheRunningTarget();
    void rampEnableFlippedByTheModuleIsWrittenBackOnce();
    void positionDisplayRefreshesOnlyWhileShownWithAFreshTimer();
    void invalidTargetDescriptionIsLoggedAndSetUpGoesOn();
    void missingParametersAreSkipped_data();
    void missingParametersAreSkipped();
};

void tst_VeltraxAp::reloadReadsWhatShowReadsAndDefaultsWritesFifteenValues()
{
    Fixture f(kVeltraxAp);
    f.open();
    f.show();
    const QStringList shown = f.journal();
    QCOMPARE(shown.size(), 1 + 16);
    QCOMPARE(shown.first(), QStringLiteral("m0 trace actualPosition"));
    QVERIFY(f.check(QStringLiteral("pbOpenClose"), false) && f.click(QStringLiteral("pbReload")));
    QCOMPARE(f.journal(), shown.mid(1));

    QVERIFY(f.click(QStringLiteral("pbDefaults")));
    const QStringList expected = {write("rampA1", 8000),
                                  write("rampA2", 4000),
                                  write("rampAMax", 1000),
                                  write("rampD1", 8000),
                                  write("rampD2", 4000),
                                  write("deceleration", 1000),
                                  write("rampVStart", 0),
                                  write("rampV1", 500),
                                  write("rampV2", 1000),
                                  write("rampVStop", 0),
                                  write("maxVelocity", 4000),
                                  write("velocityFeedForwardEnable", 0),
                                  write("accelerationFeedForwardEnable", 0),
                                  write("accelerationFeedForwardGain", 8),
                                  write("accelerationFeedForwardShift", 4)};
    QCOMPARE(f.journal(), expected);
}

void tst_VeltraxAp::refusedTargetIsFlaggedAndPutBackSilently_data()
{
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("kept");
    QTest::newRow("odd positive kept towards zero") << 501 << 500;
    QTest::newRow("odd negative kept towards zero") << -3 << -2;
}

void tst_VeltraxAp::refusedTargetIsFlaggedAndPutBackSilently()
{
    QFETCH(int, typed);
    QFETCH(int, kept);
    Fixture f(kVeltraxAp);
    f.open();
    f.show();
    auto* target = f.find<QSpinBox>(QStringLiteral("sbTargetPosition"));
    auto* popup = f.find<PopupInfoLabel>(QStringLiteral("popupInfoLabel"));
    QVERIFY(popup && f.type(QStringLiteral("sbTargetPosition"), typed));
    QSignalSpy valueSpy(target, qOverload<int>(&QSpinBox::valueChanged));

    QVERIFY(f.click(QStringLiteral("btnMoveAbsolute")));
    QCOMPARE(f.journal().last(), write("targetPosition", typed));
    QCOMPARE(target->value(), kept);
    QVERIFY2(valueSpy.isEmpty(), "putting the kept value back must not look like a user edit");
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->text(), QStringLiteral("Exact value not accepted"));
    QCOMPARE(popup->messageStyle(), PopupInfoLabel::Warning);
    QCOMPARE(target->styleSheet(), QStringLiteral("QSpinBox {background-color: #FFB818;}"));
    QTRY_VERIFY_WITH_TIMEOUT(target->styleSheet().isEmpty(), 10000);
}

void tst_VeltraxAp::clearWritesTheActualPositionAndLeavesTheRunningTarget()
{
    Fixture f(kVeltraxAp);
    f.open();
    QVERIFY(f.type(QStringLiteral("sbTargetPosition"), 1000) && f.click(QStringLiteral("btnMoveAbsolute")));
    f.dropJournal();
    QVERIFY(f.click(QStringLiteral("btnClear")));
    QCOMPARE(f.journal(), QStringList{write("actualPosition", 0)});
    QVERIFY(f.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("target position")));
    QVERIFY(f.type(QStringLiteral("sbTargetPosition"), 0) && f.click(QStringLiteral("btnMoveRelative")));
    QCOMPARE(f.journal(), QStringList{write("targetPosition", 1000)});
}

void tst_VeltraxAp::rampEnableFlippedByTheModuleIsWrittenBackOnce()
{
    Fixture f(kVeltraxAp);
    f.open();
    auto* group = f.find<QGroupBox>(QStringLiteral("gbRampEnable"));
    QCOMPARE(group->toolTip(), QStringLiteral("AP 6"));
    XmlParameterInterface* rampEnable = f.module()->parameterController(0)->rampEnable->xmlParameter();
    f.setDevice(QStringLiteral("rampEnable"), 0);
    // The host polls the value twice, as another view of the IDE would.
    f.module()->refreshValue(rampEnable, 0);
    f.module()->refreshValue(rampEnable, 0);
    QVERIFY(!group->isChecked());
    QCOMPARE(f.journal(), QStringList{write("rampEnable", 0)});
}

void tst_VeltraxAp::positionDisplayRefreshesOnlyWhileShownWithAFreshTimer()
{
    Fixture f(kVeltraxAp);
    f.open();
    auto* display = f.find<QSpinBox>(QStringLiteral("sbActualPosition"));
    const auto timers = [display] { return QAbstractEventDispatcher::instance()->registeredTimers(display); };
    f.show();
    const auto running = timers();
    QCOMPARE(running.size(), 1);
    QCOMPARE(running.first().interval, 250);
    f.setDevice(QStringLiteral("actualPosition"), -1234);
    f.refresh();
    QTRY_COMPARE(display->value(), -1234);

    f.hide();
    QVERIFY2(timers().isEmpty(), "hiding the tool must stop the refresh");
    // Qt hands a released timer id out again; this timer takes it, so a
    // refresh that is really restarted comes with another id.
    QTimer occupant;
    occupant.start(60000);
    f.show();
    QCOMPARE(timers().size(), 1);
    QVERIFY(timers().first().timerId != running.first().timerId);
}

void tst_VeltraxAp::invalidTargetDescriptionIsLoggedAndSetUpGoesOn()
{
    QByteArray xml = Fixture::productXml(kVeltraxAp);
    // A target position whose range lies wholly above what a spin box holds.
    const QByteArray range = "min=\"-2147483647\" max=\"2147483647\"\n               default=\"0\"";
    QVERIFY(xml.contains(range));
    xml.replace(range, "min=\"3000000000\" max=\"4000000000\" default=\"3000000000\"");
    Fixture f(xml, QStringLiteral("wide.xml"));
    QTest::ignoreMessage(QtWarningMsg, "PositionMode_Veltrax_AP Error: parameter targetPosition: range "
                                       "3000000000..4000000000 lies outside what a spin box shows");
    f.open();
    QVERIFY2(f.find<PopupInfoLabel>(QStringLiteral("popupInfoLabel")), "the refusal pop-up is still made");
    QVERIFY2(f.find<QSpinBox>(QStringLiteral("accelerationFeedForwardShift")), "the last editor is still placed");
}

void tst_VeltraxAp::missingParametersAreSkipped_data()
{
    QTest::addColumn<QString>("role");
    for (const char* role : {"targetPosition", "actualPosition", "rampEnable", "rampA1", "velocityFeedForwardEnable"})
        QTest::newRow(role) << QString::fromLatin1(role);
}

void tst_VeltraxAp::missingParametersAreSkipped()
{
    QFETCH(QString, role);
    Fixture f(Fixture::withoutNamed(Fixture::productXml(kVeltraxAp), role), QStringLiteral("lacking.xml"));
    ToolsInterface* tool = f.open();
    tool->show();
    tool->showPlugin();
    tool->findChild<QAbstractButton*>(QStringLiteral("pbOpenClose"))->click();
    QVERIFY2(!tool->findChild<QWidget*>(role), "an editor without its parameter is not placed");
    for (const char* name : {"btnMoveAbsolute", "btnMoveRelative", "btnStop", "btnClear", "pbDefaults", "pbReload"})
        tool->findChild<QAbstractButton*>(QLatin1String(name))->click();
    tool->findChild<QGroupBox*>(QStringLiteral("gbRampEnable"))->setChecked(false);
    tool->hidePlugin();
    const QStringList journal = f.journal();
    QVERIFY(!journal.isEmpty());
    for (const QString& line : journal)
        QVERIFY2(!line.split(QLatin1Char(' ')).contains(role), qPrintable(line));
}

QTEST_MAIN(tst_VeltraxAp)
#include "tst_veltraxap.moc"
