// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QGraphicsView>
#include <QGroupBox>
#include <QSpinBox>
#include <QTest>

namespace {
constexpr int kZell = 40;
constexpr int kRead = 150;

int shown(const Fixture& fixture, const char* name)
{
    auto* spinBox = fixture.find<QSpinBox>(name);
    return spinBox ? spinBox->value() : -1;
}
} // namespace

class tst_Zell : public QObject
{
    Q_OBJECT

private slots:
    void moveForcesPositionModeKeepingOtherBitsThenWritesTarget();
    void rampSwitchRewritesItsBitAndClearsPidSourceFirstWhenOff();
    void deviceRampOffUnchecksGroupWithoutWritingAndLocksTable();
    void editedRowIsWrittenAndItsRegisterReadBack();
    void defaultsSkipMissingFieldAndWriteTheRestInRowOrder();
    void withoutAnIcNothingReachesTheDevice();
};

void tst_Zell::moveForcesPositionModeKeepingOtherBitsThenWritesTarget()
{
    Fixture fixture(kZell);
    fixture.open();
    // Ramp-mode bit set, motion mode 0, and bits the tool does not own (31, 18, 8-9, 6).
    fixture.setDevice("MCC_CONFIG_MOTOR_MOTION", 0x80040370);
    QVERIFY(fixture.type("sbTargetPosition", 12345));
    QVERIFY(fixture.click("btnMoveAbsolute"));
    QCOMPARE(fixture.journal(), QStringList({"m0 read register MCC_CONFIG_MOTOR_MOTION -> -2147220624",
                                             "m0 write register MCC_CONFIG_MOTOR_MOTION -2147220621",
                                             "m0 read register MCC_CONFIG_MOTOR_MOTION -> -2147220621",
                                             "m0 write register MCC_CONFIG_MOTOR_MOTION -2147220653",
                                             "m0 read register MCC_CONFIG_MOTOR_MOTION -> -2147220653",
                                             "m0 write register FOC_PID_POSITION_TARGET 12345"}));
    QVERIFY(fixture.click("btnClear"));
    QCOMPARE(fixture.journal(), QStringList({"m0 write register FOC_PID_POSITION_ACTUAL 0"}));
}

void tst_Zell::rampSwitchRewritesItsBitAndClearsPidSourceFirstWhenOff()
{
    Fixture fixture(kZell);
    fixture.open();
    // The device has the ramp on (motion register 0x00040350) and the PID configuration at 0x30000005.
    const auto switched = [&fixture](bool on) {
        fixture.check("gbRampEnable", on);
        const QStringList journal = fixture.journal();
        // Then every row is read back once and nothing more is written.
        const QStringList refresh = journal.mid(journal.size() - 14);
        return refresh.filter(" write ").isEmpty() ? QStringList(journal.mid(0, journal.size() - 14)) : journal;
    };
    const QString motion = "m0 read register MCC_CONFIG_MOTOR_MOTION -> ";
    const QString pid = "m0 read register FOC_MCC_PID_CONFIG -> ";
    const QStringList off{"m0 write register FOC_MCC_PID_CONFIG 5", pid + "5",
                          "m0 write register MCC_CONFIG_MOTOR_MOTION 262976", motion + "262976"};
    QCOMPARE(switched(false), QStringList({motion + "262992", pid + "805306373"}) + off);
    QCOMPARE(switched(true),
             QStringList({motion + "262976", "m0 write register MCC_CONFIG_MOTOR_MOTION 262992", motion + "262992"}));
    // Bits 28-31 are already clear now; the PID configuration is written all the same.
    QCOMPARE(switched(false), QStringList({motion + "262992", pid + "5"}) + off);
}

void tst_Zell::deviceRampOffUnchecksGroupWithoutWritingAndLocksTable()
{
    Fixture fixture(kZell);
    ToolsInterface* tool = fixture.open();
    auto* group = fixture.find<QGroupBox>("gbRampEnable");
    // FEEDFORWARD lies in the motion register, so a reload reads the device's ramp switch too.
    fixture.setDevice("MCC_CONFIG_MOTOR_MOTION", 0x000403C3);
    QVERIFY(fixture.click("pbReload"));
    Fixture::deliver();
    QVERIFY(!group->isChecked());
    QVERIFY(!fixture.find("registersWidget")->isEnabled() && !fixture.find("pbDefaults")->isEnabled());
    QCOMPARE(shown(fixture, "FEEDFORWARD"), 3);
    Fixture::reply(tool, 7, 0x10, 0, 0x00040350); // not a read: the switch stays
    QVERIFY(!group->isChecked());
    Fixture::reply(tool, kRead, 0x10, 0, 0x00040350);
    QVERIFY(group->isChecked() && fixture.find("pbDefaults")->isEnabled());
    QVERIFY(fixture.journal().filter(" write ").isEmpty());
}

void tst_Zell::editedRowIsWrittenAndItsRegisterReadBack()
{
    Fixture fixture(kZell);
    fixture.open();
    QVERIFY(fixture.type("RAMPER_A2", 7000));
    QCOMPARE(fixture.journal(),
             QStringList({"m0 write field RAMPER_A2 7000", "m0 read register RAMPER_A1A2 -> 458768000"}));

    // The row's editor lights up its element of the picture (the 8th hot spot, "Field-A2") while hovered.
    auto* hotSpot = dynamic_cast<HelperTargetArea*>(
        fixture.find<QGraphicsView>("graphicsView")->scene()->items(Qt::AscendingOrder).value(7));
    QVERIFY(hotSpot && hotSpot->registerWidget()->objectName() == QLatin1String("RAMPER_A2"));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(fixture.find<QSpinBox>("RAMPER_A2"), &enter);
    QVERIFY(hotSpot->isHighlighted());
}

void tst_Zell::defaultsSkipMissingFieldAndWriteTheRestInRowOrder()
{
    Fixture fixture(Fixture::withoutNamed(Fixture::productXml(kZell), "RAMPER_D1"), "zell-without-d1.xml");
    fixture.open();
    QVERIFY(fixture.click("pbDefaults"));
    const QStringList journal = fixture.journal();
    QCOMPARE(journal.mid(0, 13).join(QLatin1Char(',')).remove("m0 write field "),
             QStringLiteral("RAMPER_V_START 0,RAMPER_V_STOP 1,RAMPER_V1 1000000,RAMPER_V2 3000000,"
                            "RAMPER_V_MAX 5000000,RAMPER_A1 16000,RAMPER_A2 6000,RAMPER_A_MAX 2000,RAMPER_D2 6000,"
                            "RAMPER_D_MAX 2000,T_VMAX 0,T_ZEROWAIT 0,FEEDFORWARD 1"));
    QCOMPARE(journal.mid(13).filter("m0 read register ").size(), 13);
    QCOMPARE(journal.size(), 26);
}

void tst_Zell::withoutAnIcNothingReachesTheDevice()
{
    Fixture fixture("<product variant=\"40\" designation=\"Zell\" name=\"bare\"><module name=\"bare\"/></product>",
                    "zell-without-ic.xml");
    ToolsInterface* tool = fixture.open();
    QVERIFY(tool->inherits("PositionMode_Zell") && tool->findChildren<XmlRegisterWidget*>().isEmpty());
    fixture.show();
    QVERIFY(fixture.type("sbTargetPosition", 500));
    for (const char* button : {"btnMoveAbsolute", "btnMoveRelative", "btnStop", "btnClear", "pbReload", "pbDefaults"})
        QVERIFY2(fixture.click(button), button);
    QVERIFY(fixture.check("gbRampEnable", false));
    Fixture::reply(tool, kRead, 0x10, 0, 0);
    fixture.hide();
    QCOMPARE(fixture.journal(), QStringList({"m0 untrace all"}));
}

QTEST_MAIN(tst_Zell)
#include "tst_zell.moc"
