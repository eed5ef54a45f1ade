// SPDX-License-Identifier: MIT
#include "device/simulateddevice.h"
#include "fixture.h"

#include <QTest>

class tst_Device : public QObject
{
    Q_OBJECT

private slots:
    void countersReadAsTheir32Bits_data();
    void countersReadAsTheir32Bits();
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

QTEST_MAIN(tst_Device)
#include "tst_device.moc"
