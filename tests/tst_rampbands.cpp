// SPDX-License-Identifier: MIT
#include "device/rampbands.h"
#include "device/rampgenerator.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <random>

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
    void brakingSpeedUndoesBrakingDistance();
    void aSpeedAtABandsTopAcceleratesAboveAndBrakesBelow();
    void roundingSlackGrowsWithTheDistanceFromItsFloor();
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

// Both directions of the braking curve, over every band and across bands
// that are crossed at once.
void tst_RampBands::brakingSpeedUndoesBrakingDistance()
{
    std::mt19937_64 random(25);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 2000; ++i) {
        Settings s = eightPoint();
        for (double* rate : {&s.d1, &s.d2, &s.dMax})
            *rate = unit(random) < 0.2 ? 0 : 100 * std::pow(100, unit(random));
        const RampBands bands(s);
        const double speed = bands.vStop() + (bands.vMax() - bands.vStop()) * unit(random);
        // Within a band crossed at once the distance cannot tell the speed.
        if (bands.deceleration(bands.brakingBand(speed)) <= 0)
            continue;
        const double distance = bands.brakingDistance(speed);
        const double back = bands.brakingSpeed(distance);
        QVERIFY2(std::abs(back - speed) <= 1e-9 * speed,
                 qPrintable(
                     QStringLiteral("case %1: %2/s brakes in %3, back %4/s").arg(i).arg(speed).arg(distance).arg(back)));
    }
    // From V_STOP there is nothing to brake; an endless DMAX brakes from any
    // speed at no distance beyond the lower bands'.
    const RampBands bands(eightPoint());
    QCOMPARE(bands.brakingDistance(bands.vStop()), 0.0);
    QCOMPARE(bands.brakingSpeed(0), bands.vStop());
    Settings sudden = eightPoint();
    sudden.dMax = kInfinite;
    QCOMPARE(RampBands(sudden).brakingSpeed(1e6), kInfinite);
    // The acceleration phases from standstill to VMAX, band by band.
    const double up = 2000.0 * 2000 / 2000 + (6000.0 * 6000 - 2000.0 * 2000) / 1000 + (1e8 - 6000.0 * 6000) / 500;
    QCOMPARE(bands.accelerationDistance(0, bands.vMax()), up);
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

void tst_RampBands::roundingSlackGrowsWithTheDistanceFromItsFloor()
{
    QCOMPARE(RampBands::roundingSlack(0), RampBands::SlackFloorPositions);
    QCOMPARE(RampBands::roundingSlack(-1e6), RampBands::roundingSlack(1e6));
    QCOMPARE(RampBands::roundingSlack(2e9), RampBands::SlackFloorPositions + 2e9 * RampBands::SlackPerPosition);
}

QTEST_MAIN(tst_RampBands)
#include "tst_rampbands.moc"
