// SPDX-License-Identifier: MIT
#include "device/rampbands.h"
#include "device/rampgenerator.h"

#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(RampGenerator::Settings)

namespace {
using Profile = RampGenerator::Profile;
using Settings = RampGenerator::Settings;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinite = std::numeric_limits<double>::infinity();

Settings eightPoint()
{
    Settings s;
    s.profile = Profile::EightPoint;
    s.vStart = 100;
    s.a1 = 1000;
    s.v1 = 2000;
    s.a2 = 500;
    s.v2 = 6000;
    s.aMax = 250;
    s.vMax = 10000;
    s.dMax = 300;
    s.d2 = 600;
    s.d1 = 1200;
    s.vStop = 50;
    return s;
}

// Tops, then accelerations, then decelerations, then V_START and V_STOP.
QList<double> shapeOf(const RampBands& bands)
{
    QList<double> shape;
    for (int band = 0; band < RampBands::Count; ++band)
        shape << bands.top(band);
    for (int band = 0; band < RampBands::Count; ++band)
        shape << bands.acceleration(band);
    for (int band = 0; band < RampBands::Count; ++band)
        shape << bands.deceleration(band);
    return shape << bands.vStart() << bands.vStop();
}
} // namespace

class tst_RampBands : public QObject
{
    Q_OBJECT

private slots:
    void settingsAreBroughtIntoBandsOnce_data();
    void settingsAreBroughtIntoBandsOnce();
    void rampsThatCannotRunJumpOrStand_data();
    void rampsThatCannotRunJumpOrStand();
    void aSpeedAtABandsTopAcceleratesAboveAndBrakesBelow();
};

void tst_RampBands::settingsAreBroughtIntoBandsOnce_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QList<double>>("shape");

    QTest::newRow("eight-point as given")
        << eightPoint() << QList<double>{2000, 6000, 10000, 1000, 500, 250, 1200, 600, 300, 100, 50};

    Settings trapezoid = eightPoint();
    trapezoid.profile = Profile::Trapezoid;
    QTest::newRow("trapezoid keeps AMAX, VMAX, DMAX")
        << trapezoid << QList<double>{0, 0, 10000, 0, 0, 250, 0, 0, 300, 0, 0};

    Settings high = eightPoint();
    high.v1 = 20000;
    high.vStart = 30000;
    high.vStop = 40000;
    QTest::newRow("thresholds above VMAX are VMAX")
        << high << QList<double>{10000, 10000, 10000, 1000, 500, 250, 1200, 600, 300, 10000, 10000};

    Settings crossed = eightPoint();
    crossed.v2 = 1000;
    QTest::newRow("V2 below V1 is V1") << crossed
                                       << QList<double>{2000, 2000, 10000, 1000, 500, 250, 1200, 600, 300, 100, 50};

    Settings negative = eightPoint();
    negative.a1 = -5;
    negative.d2 = kNaN;
    negative.vStart = -1;
    negative.v1 = kNaN;
    QTest::newRow("negative and NaN values are 0")
        << negative << QList<double>{0, 6000, 10000, 0, 500, 250, 1200, 0, 300, 0, 50};
}

void tst_RampBands::settingsAreBroughtIntoBandsOnce()
{
    QFETCH(Settings, settings);
    QFETCH(QList<double>, shape);
    const RampBands bands(settings);
    QVERIFY(!bands.jumps());
    QCOMPARE(bands.vMax(), settings.vMax);
    QCOMPARE(shapeOf(bands), shape);
}

void tst_RampBands::rampsThatCannotRunJumpOrStand_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<bool>("jumps");
    QTest::addColumn<bool>("stands");
    Settings s = eightPoint();
    QTest::newRow("eight-point runs") << s << false << false;
    s.profile = Profile::Direct;
    QTest::newRow("direct") << s << true << false;
    s = eightPoint();
    s.rampEnabled = false;
    QTest::newRow("ramp off") << s << true << false;
    s = eightPoint();
    s.positionMode = false;
    QTest::newRow("not in position mode") << s << true << false;
    for (double vMax : {0.0, -1.0, kNaN}) {
        s = eightPoint();
        s.vMax = vMax;
        QTest::addRow("VMAX %g", vMax) << s << false << true;
    }
    s = eightPoint();
    s.vMax = kInfinite;
    QTest::newRow("VMAX inf") << s << true << false;
    s.rampEnabled = false;
    s.vMax = 0;
    QTest::newRow("ramp off, VMAX 0") << s << true << false;
}

void tst_RampBands::rampsThatCannotRunJumpOrStand()
{
    QFETCH(Settings, settings);
    QFETCH(bool, jumps);
    QFETCH(bool, stands);
    QCOMPARE(RampBands(settings).jumps(), jumps);
    QCOMPARE(RampBands(settings).stands(), stands);
}

void tst_RampBands::aSpeedAtABandsTopAcceleratesAboveAndBrakesBelow()
{
    const RampBands bands(eightPoint());
    QCOMPARE(bands.accelerationBand(1999), 0);
    QCOMPARE(bands.accelerationBand(2000), 1);
    QCOMPARE(bands.accelerationBand(6000), 2);
    QCOMPARE(bands.brakingBand(2000), 0);
    QCOMPARE(bands.brakingBand(2001), 1);
    QCOMPARE(bands.brakingBand(6000), 1);
    QCOMPARE(bands.brakingBand(12000), 2); // above VMAX: brakes with DMAX
    QCOMPARE(bands.bottom(0), 0.0);
    QCOMPARE(bands.bottom(2), 6000.0);
}

QTEST_MAIN(tst_RampBands)
#include "tst_rampbands.moc"
