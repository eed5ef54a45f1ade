// SPDX-License-Identifier: MIT
#include "device/motormotion.h"
#include "device/moveplanner.h"
#include "device/simulateddevice.h"
#include "fixture.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// The Zell product's default ramp in position mode.
RampGenerator::Settings zellRamp()
{
    return Fixture(40).positionModeRamp();
}
} // namespace

class tst_Device : public QObject
{
    Q_OBJECT

private slots:
    void countersReadAsTheir32Bits_data();
    void countersReadAsTheir32Bits();
    void velocityIsEachMotorsOwn();
    void aNameFindsRegisterThenFieldThenParameterAsTheProductChanges();
    void aMoveCommandSetsOffEvenToTheTargetItHas();
    void aCounterWrittenFromOutsidePutsTheMotorThere();
};

void tst_Device::countersReadAsTheir32Bits_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("name"); // the actual position's register, field or parameter
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("position");
    QTest::newRow("register, all bits set") << 40 << "FOC_PID_POSITION_ACTUAL" << qint64(0xFFFFFFFF) << -1;
    QTest::newRow("signed field, lowest") << 135 << "PID_POSITION_ACTUAL" << qint64(-0x80000000LL) << INT_MIN;
    QTest::newRow("64-bit parameter, beyond 32 bits") << 105 << "actualPosition" << (qint64(1) << 32) + 5 << 5;
    QTest::newRow("64-bit parameter, negative") << 105 << "actualPosition" << qint64(-7) << -7;
}

void tst_Device::countersReadAsTheir32Bits()
{
    QFETCH(int, variant);
    QFETCH(QString, name);
    QFETCH(qint64, value);
    QFETCH(int, position);
    Fixture f(variant);
    SimulatedDevice* device = f.device();
    const QString target = f.module()->motion().sources.value(QStringLiteral("target")).name;
    f.setDevice(name, value);
    f.setDevice(target, value - 1);
    QCOMPARE(device->actualPosition(0), position);
    QCOMPARE(device->target(0), qint32(quint32(position) - 1));
    QCOMPARE(device->currentMotion(0).position, double(position));
}

void tst_Device::velocityIsEachMotorsOwn()
{
    Fixture f(135);
    SimulatedDevice* device = f.device();
    f.setDevice(QStringLiteral("CONFIG_MOTION_MODE"), 3, 1);
    f.setDevice(QStringLiteral("RAMPER_X_TARGET"), 1000000, 1);
    device->advance(2000);
    QCOMPARE(device->velocity(0), 0.0);
    QVERIFY2(device->velocity(1) > 0, "motor 1 moves towards its target");
    QCOMPARE(device->velocity(1), device->currentMotion(1).velocity);
    // The device's register holds the same velocity in the product's units (0.01 positions/s).
    QCOMPARE(double(f.deviceValue(QStringLiteral("PID_VELOCITY_ACTUAL"), 1)) * 0.01, device->velocity(1));
}

void tst_Device::aNameFindsRegisterThenFieldThenParameterAsTheProductChanges()
{
    // RAMPER_V1 of the Zell product names a register and a field laid into it.
    Fixture f(40);
    f.setDevice(QStringLiteral("RAMPER_V1"), 0xFF800001); // every bit of the register
    QCOMPARE(f.deviceValue(QStringLiteral("RAMPER_V1")), qint64(qint32(0xFF800001)));

    // A register added under a field's name takes the name over; deleted, it gives it back.
    const QString field = QStringLiteral("RAMPER_A_MAX");
    f.setDevice(field, 77);
    auto* over = new XmlValueRegister(field, 0x7000, 0, f.module()->getIcProduct(0));
    f.device()->writeRegister(0, over->address(), 5);
    QCOMPARE(f.deviceValue(field), qint64(5));
    delete over;
    QCOMPARE(f.deviceValue(field), qint64(77));

    // A register added under a parameter's role takes the name over; deleted, it gives it back.
    Fixture module(105);
    const QString role = QStringLiteral("maxVelocity");
    module.setDevice(role, 1234);
    auto* chip = new XmlProductIC(QStringLiteral("added"));
    module.module()->product()->setIc(chip);
    auto* shadow = new XmlValueRegister(role, 0x20, 0, chip);
    module.device()->writeRegister(0, shadow->address(), 99);
    QCOMPARE(module.deviceValue(role), qint64(99));
    delete shadow;
    QCOMPARE(module.deviceValue(role), qint64(1234));

    // A parameter the product no longer has is no longer found.
    delete module.module()->product()->parameter(role);
    qint64 value = 0;
    QString error;
    QVERIFY(!module.device()->value(0, role, &value, &error));
    QCOMPARE(error, QStringLiteral("the device has no register, field or parameter \"maxVelocity\""));
    QVERIFY(!module.device()->setValue(0, role, 5, &error));
    QVERIFY(module.device()->range(role).kind.isEmpty());

    // One added under the role again is found, with its default.
    XmlParameterInterface::Description again;
    again.role = role;
    again.maximum = 10;
    again.defaultValue = 3;
    module.module()->product()->addParameter(new XmlParameterInterface(again));
    QCOMPARE(module.deviceValue(role), qint64(1234)); // the value the device kept under that role
    QCOMPARE(module.device()->range(role).maximum, qint64(10));
}

void tst_Device::aMoveCommandSetsOffEvenToTheTargetItHas()
{
    MotorMotion motion;
    motion.settle(100, 100);
    QVERIFY2(!motion.observe(100, 100), "the target it stands on is no move");
    QVERIFY(!motion.isMoving());
    motion.command(100);
    QVERIFY(motion.isMoving());
    // Already there: it comes to rest at once, at the time the run starts.
    QCOMPARE(motion.run(zellRamp(), 100, 40, 20), std::optional<qint64>(40));
    QVERIFY(!motion.isMoving());
    QVERIFY2(motion.observe(100, 200), "a new target sets a move off");

    Fixture f(40);
    QSignalSpy started(f.device(), &SimulatedDevice::moveStarted);
    f.device()->moveTo(0, 0);
    QCOMPARE(started.count(), 1);
}

void tst_Device::aCounterWrittenFromOutsidePutsTheMotorThere()
{
    MotorMotion motion;
    motion.settle(0, 0);
    QVERIFY(motion.observe(0, 100000));
    QCOMPARE(motion.run(zellRamp(), 100000, 0, 130), std::nullopt); // ends between two steps
    QVERIFY2(motion.state().position != double(motion.counter()), "a fraction of a position run");
    QCOMPARE(motion.startingAt(motion.counter()).position, motion.state().position);
    QCOMPARE(motion.startingAt(5000).position, 5000.0);

    QVERIFY(!motion.observe(5000, 100000));
    QCOMPARE(motion.counter(), 5000);
    QCOMPARE(motion.startingAt(5000).position, 5000.0); // the fraction run before is gone
    QCOMPARE(motion.state().velocity, motion.startingAt(5000).velocity);
    QVERIFY(motion.isMoving());
    const std::optional<qint64> arrival = motion.run(zellRamp(), 100000, 130, 10000);
    QVERIFY(arrival.has_value());
    QCOMPARE(motion.counter(), 100000);
    QCOMPARE(motion.state().velocity, 0.0);
}

QTEST_MAIN(tst_Device)
#include "tst_device.moc"
