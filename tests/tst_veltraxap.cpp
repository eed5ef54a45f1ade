// SPDX-License-Identifier: MIT
#include "core/popupinfolabel.h"
#include "fixture.h"
#include "genericpositionmode.h"
#include "model/parametercontroller.h"

#include <QAbstractEventDispatcher>
#include <QGroupBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {
constexpr int kVeltraxAp = 139;

// "ROLE value" pairs as the journal's parameter writes.
QStringList writes(const QString& pairs)
{
    QStringList lines = pairs.split(QLatin1Char(','));
    for (QString& line : lines)
        line.prepend(QLatin1String("m0 write parameter "));
    return lines;
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
    void invalidTargetDescriptionIsLoggedAndSetUpGoesOn();
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
    QCOMPARE(f.journal(), writes("rampA1 8000,rampA2 4000,rampAMax 1000,rampD1 8000,rampD2 4000,deceleration 1000,"
                                 "rampVStart 0,rampV1 500,rampV2 1000,rampVStop 0,maxVelocity 4000,"
                                 "velocityFeedForwardEnable 0,accelerationFeedForwardEnable 0,"
                                 "accelerationFeedForwardGain 8,accelerationFeedForwardShift 4"));
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
    QCOMPARE(f.journal().last(), writes(QStringLiteral("targetPosition %1").arg(typed)).first());
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
    QCOMPARE(f.journal(), writes("actualPosition 0"));
    QVERIFY(f.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("target position")));
    QVERIFY(f.type(QStringLiteral("sbTargetPosition"), 0) && f.click(QStringLiteral("btnMoveRelative")));
    QCOMPARE(f.journal(), writes("targetPosition 1000"));
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
    QCOMPARE(f.journal(), writes("rampEnable 0"));
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

QTEST_MAIN(tst_VeltraxAp)
#include "tst_veltraxap.moc"
