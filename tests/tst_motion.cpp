#include "device/rampgenerator.h"
#include "device/simulateddevice.h"
#include "fixture.h"

#include <QTest>

#include <algorithm>
#include <cmath>

Q_DECLARE_METATYPE(RampGenerator::Settings)

namespace {
using Profile = RampGenerator::Profile;
using Settings = RampGenerator::Settings;
using State = RampGenerator::State;

constexpr double kTick = RampGenerator::TickSeconds;

// The Zell product's default ramp in positions per second (and per second squared).
Settings eightPoint()
{
    Settings s;
    s.profile = Profile::EightPoint;
    s.vStart = 0;
    s.a1 = 160000;
    s.v1 = 10000;
    s.a2 = 60000;
    s.v2 = 30000;
    s.aMax = 20000;
    s.vMax = 50000;
    s.dMax = 20000;
    s.d2 = 60000;
    s.d1 = 160000;
    s.vStop = 0.01;
    return s;
}

Settings trapezoid()
{
    Settings s;
    s.profile = Profile::Trapezoid;
    s.vMax = 40000;
    s.aMax = 40000;
    s.dMax = 20000;
    return s;
}

// One motion sampled every tick until it rests on the target (or gives up).
struct Run
{
    QVector<double> position;
    QVector<double> velocity;
    bool arrived = false;
    double seconds() const { return position.size() * kTick; }
};

Run run(const Settings& settings, double target, State state = {}, double limitSeconds = 120)
{
    Run result;
    while (!result.arrived && result.seconds() < limitSeconds) {
        result.arrived = RampGenerator::step(settings, target, state, kTick);
        result.position.append(state.position);
        result.velocity.append(state.velocity);
    }
    return result;
}

// Speed change per second between neighbouring ticks whose speeds both lie in [low, high].
QList<double> ratesWithin(const Run& r, double low, double high)
{
    QList<double> rates;
    for (int i = 1; i < r.velocity.size(); ++i) {
        const double a = std::abs(r.velocity.at(i - 1));
        const double b = std::abs(r.velocity.at(i));
        if (a > low && a < high && b > low && b < high && a != b)
            rates.append(std::abs(b - a) / kTick);
    }
    return rates;
}

int firstTickAtOrAbove(const Run& r, double speed)
{
    for (int i = 0; i < r.velocity.size(); ++i) {
        if (std::abs(r.velocity.at(i)) >= speed)
            return i;
    }
    return -1;
}

// Which field or parameter puts a product's motor into position mode, if any.
struct ProductMotion
{
    const char* target;
    const char* actual;
    const char* mode;
};

ProductMotion motionOf(int variant)
{
    switch (variant) {
    case 40:
        return {"FOC_PID_POSITION_TARGET", "FOC_PID_POSITION_ACTUAL", "MOTION_MODE"};
    case 100:
        return {"PID_POSITION_TARGET", "PID_POSITION_ACTUAL", "MODE_MOTION"};
    case 135:
        return {"RAMPER_X_TARGET", "PID_POSITION_ACTUAL", "CONFIG_MOTION_MODE"};
    case 108:
        return {"linearTargetPosition", "linearActualPosition", nullptr};
    default:
        return {"targetPosition", "actualPosition", nullptr};
    }
}

// Advances in `stepMs` slices until the actual position rests on the target; the device time it took.
qint64 moveAndWait(Fixture& f, const ProductMotion& m, qint64 target, int stepMs = 10, qint64 limitMs = 60000)
{
    const qint64 start = f.device()->timeMs();
    f.setDevice(QLatin1String(m.target), target);
    do {
        f.device()->advance(stepMs);
    } while ((f.deviceValue(QLatin1String(m.actual)) != target || f.device()->motionState(0).velocity != 0)
             && f.device()->timeMs() - start < limitMs);
    return f.device()->timeMs() - start;
}
} // namespace

class tst_Motion : public QObject
{
    Q_OBJECT

private slots:
    void everyProfileStopsExactlyOnTheTargetWithoutOvershoot_data();
    void everyProfileStopsExactlyOnTheTargetWithoutOvershoot();
    void eightPointRampPassesItsPhasesInOrder();
    void trapezoidCruisesAtMaximumVelocityAndBrakesInTime();
    void targetBehindTheMotorBrakesToStandstillThenReturns();
    void targetNearerThanTheBrakingDistanceIsPassedAndApproachedAgain();
    void degenerateSettingsStillEndOnTheTarget_data();
    void degenerateSettingsStillEndOnTheTarget();
    void howTimeIsCutDoesNotChangeTheMotion();

    void defaultRampOfEachProductMovesAFullMoveInAFewSeconds_data();
    void defaultRampOfEachProductMovesAFullMoveInAFewSeconds();
    void rampOffOrAnotherMotionModeJumpsStraightToTheTarget_data();
    void rampOffOrAnotherMotionModeJumpsStraightToTheTarget();
    void motionCrossesTheCounterLimitTheShortWay();
    void clearingTheCounterAtRestStartsNoMotionButAMoveCommandDoes();
    void velocityIsReportedInTheUnitsOfTheRampValues();
};

void tst_Motion::everyProfileStopsExactlyOnTheTargetWithoutOvershoot_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<double>("target");
    const QList<QPair<const char*, Profile>> profiles = {
        {"eight-point", Profile::EightPoint}, {"trapezoid", Profile::Trapezoid}, {"direct", Profile::Direct}};
    for (const auto& profile : profiles) {
        for (double target : {100000.0, -100000.0, 1.0, -3.0}) {
            QTest::addRow("%s to %.0f", profile.first, target) << int(profile.second) << target;
        }
    }
}

void tst_Motion::everyProfileStopsExactlyOnTheTargetWithoutOvershoot()
{
    QFETCH(int, profile);
    QFETCH(double, target);
    Settings settings = profile == int(Profile::Trapezoid) ? trapezoid() : eightPoint();
    settings.profile = Profile(profile);

    const Run r = run(settings, target);
    QVERIFY2(r.arrived, "the motion must come to rest");
    QCOMPARE(r.position.last(), target);
    QCOMPARE(r.velocity.last(), 0.0);
    for (double position : r.position)
        QVERIFY2(std::abs(position) <= std::abs(target) + 0.5, "no overshoot beyond a rounding step");

    State rest{target, 0};
    QVERIFY(RampGenerator::step(settings, target, rest, 1.0));
    QCOMPARE(rest.position, target);
}

void tst_Motion::eightPointRampPassesItsPhasesInOrder()
{
    const Settings s = eightPoint();
    const Run r = run(s, 300000);
    QVERIFY(r.arrived);

    double top = 0;
    for (double v : r.velocity)
        top = qMax(top, v);
    QCOMPARE(top, s.vMax);
    const int atV1 = firstTickAtOrAbove(r, s.v1);
    const int atV2 = firstTickAtOrAbove(r, s.v2);
    const int atVMax = firstTickAtOrAbove(r, s.vMax);
    QVERIFY2(0 < atV1 && atV1 < atV2 && atV2 < atVMax, "V1, V2 and VMAX are reached in this order");

    // Accelerating and braking, each band changes speed at its own rate.
    const int cruiseEnd = r.velocity.lastIndexOf(s.vMax);
    Run up, down;
    up.velocity = r.velocity.mid(0, atVMax + 1);
    down.velocity = r.velocity.mid(cruiseEnd);
    const struct
    {
        const Run& part;
        double low, high, rate;
    } bands[] = {{up, 0, s.v1, s.a1},         {up, s.v1, s.v2, s.a2},     {up, s.v2, s.vMax, s.aMax},
                 {down, s.v2, s.vMax, s.dMax}, {down, s.v1, s.v2, s.d2}, {down, 100, s.v1, s.d1}};
    for (const auto& band : bands) {
        const QList<double> rates = ratesWithin(band.part, band.low, band.high);
        QVERIFY2(!rates.isEmpty(), "every band is passed");
        for (double rate : rates)
            QVERIFY2(std::abs(rate - band.rate) <= 0.05 * band.rate,
                     qPrintable(QStringLiteral("rate %1 in band %2..%3, expected %4")
                                    .arg(rate).arg(band.low).arg(band.high).arg(band.rate)));
    }
}

void tst_Motion::trapezoidCruisesAtMaximumVelocityAndBrakesInTime()
{
    const Settings s = trapezoid();
    const Run r = run(s, 100000);
    QVERIFY(r.arrived);
    // 1 s to reach VMAX (20000 positions), 2 s of braking (40000), the rest cruising.
    const double up = s.vMax * s.vMax / (2 * s.aMax);
    const double down = s.vMax * s.vMax / (2 * s.dMax);
    const double expected = s.vMax / s.aMax + s.vMax / s.dMax + (100000 - up - down) / s.vMax;
    QVERIFY2(std::abs(r.seconds() - expected) < 0.01, qPrintable(QString::number(r.seconds())));
    QCOMPARE(firstTickAtOrAbove(r, s.vMax + 1e-6), -1);
    for (double rate : ratesWithin(r, 1, s.vMax))
        QVERIFY2(rate <= s.aMax * 1.02, "never faster than the larger of acceleration and deceleration");
}

void tst_Motion::targetBehindTheMotorBrakesToStandstillThenReturns()
{
    const Settings s = eightPoint();
    State state;
    RampGenerator::step(s, 1000000, state, 2.0);
    QCOMPARE(state.velocity, s.vMax);
    const double turnedAt = state.position;

    const Run r = run(s, 0, state);
    QVERIFY(r.arrived);
    QCOMPARE(r.position.last(), 0.0);
    // It stops within a tick and goes back in the rest of it.
    int turned = 0;
    while (turned < r.velocity.size() && r.velocity.at(turned) >= 0)
        ++turned;
    QVERIFY2(turned > 0 && turned < r.velocity.size() - 1, "the motor brakes forwards before it turns");
    for (int i = 1; i < turned; ++i)
        QVERIFY2(r.velocity.at(i) <= r.velocity.at(i - 1), "braking, never speeding up forwards");
    QVERIFY2(r.position.at(turned) > turnedAt, "it runs on while braking");
    for (int i = turned; i < r.velocity.size() - 1; ++i)
        QVERIFY2(r.velocity.at(i) < 0, "then it goes back only");
}

void tst_Motion::targetNearerThanTheBrakingDistanceIsPassedAndApproachedAgain()
{
    const Settings s = eightPoint();
    State state;
    RampGenerator::step(s, 1000000, state, 2.0);
    const double near = state.position + 1000; // braking from VMAX needs far more
    const Run r = run(s, near, state);
    QVERIFY(r.arrived);
    QCOMPARE(r.position.last(), near);
    double furthest = 0;
    for (double p : r.position)
        furthest = qMax(furthest, p);
    QVERIFY2(furthest > near + 10000, "a motor that cannot stop in time runs past and comes back");
    for (double rate : ratesWithin(r, s.v2 + 1, s.vMax))
        QVERIFY2(rate <= s.dMax * 1.05, "braking keeps to the ramp's deceleration");
}

void tst_Motion::degenerateSettingsStillEndOnTheTarget_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<double>("atMostSeconds");

    Settings s = eightPoint();
    s.vMax = 0;
    QTest::newRow("no maximum velocity: straight there") << s << kTick;
    s = eightPoint();
    s.a1 = s.a2 = s.aMax = s.d1 = s.d2 = s.dMax = 0;
    QTest::newRow("no accelerations: instant phases") << s << 100000 / s.vMax + 2 * kTick;
    s = eightPoint();
    s.d1 = s.dMax = 0;
    QTest::newRow("some decelerations zero") << s << 5.0;
    s = eightPoint();
    s.v1 = s.v2 = 0;
    s.vStop = s.vStart = 0;
    QTest::newRow("no intermediate velocities") << s << 10.0;
    s = eightPoint();
    s.v1 = 80000;
    s.v2 = 1000;
    s.vStart = 70000;
    s.vStop = 90000;
    QTest::newRow("thresholds above VMAX and out of order") << s << 5.0;
    s = trapezoid();
    s.aMax = s.dMax = 0;
    QTest::newRow("trapezoid without acceleration") << s << 100000 / s.vMax + 2 * kTick;
    s = eightPoint();
    s.rampEnabled = false;
    QTest::newRow("ramp off") << s << kTick;
    s = eightPoint();
    s.positionMode = false;
    QTest::newRow("not in position mode") << s << kTick;
}

void tst_Motion::degenerateSettingsStillEndOnTheTarget()
{
    QFETCH(Settings, settings);
    QFETCH(double, atMostSeconds);
    const Run r = run(settings, 100000, State{}, 60);
    QVERIFY2(r.arrived, "degenerate settings must not leave the motor hanging");
    QCOMPARE(r.position.last(), 100000.0);
    QVERIFY2(r.seconds() <= atMostSeconds + 1e-9, qPrintable(QString::number(r.seconds())));
    for (int i = 0; i < r.position.size(); ++i)
        QVERIFY(std::isfinite(r.position.at(i)) && std::isfinite(r.velocity.at(i)));
}

void tst_Motion::howTimeIsCutDoesNotChangeTheMotion()
{
    const Settings s = eightPoint();
    State once, sliced;
    RampGenerator::step(s, 100000, once, 1.234);
    for (int i = 0; i < 1234; i += 17)
        RampGenerator::step(s, 100000, sliced, qMin(17, 1234 - i) / 1000.0);
    QCOMPARE(sliced.position, once.position);
    QCOMPARE(sliced.velocity, once.velocity);
}

void tst_Motion::defaultRampOfEachProductMovesAFullMoveInAFewSeconds_data()
{
    QTest::addColumn<int>("variant");
    for (int variant : SimulatedProduct::builtInVariants())
        QTest::addRow("%d", variant) << variant;
}

void tst_Motion::defaultRampOfEachProductMovesAFullMoveInAFewSeconds()
{
    QFETCH(int, variant);
    Fixture f(variant);
    const ProductMotion m = motionOf(variant);
    if (m.mode)
        f.setDevice(QLatin1String(m.mode), 3);
    const qint64 ms = moveAndWait(f, m, 100000);
    QCOMPARE(f.deviceValue(QLatin1String(m.actual)), qint64(100000));
    QVERIFY2(ms >= 2000 && ms <= 5000, qPrintable(QStringLiteral("%1 ms").arg(ms)));
    QCOMPARE(moveAndWait(f, m, 0), ms); // the same ramp backwards
}

void tst_Motion::rampOffOrAnotherMotionModeJumpsStraightToTheTarget_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::newRow("Zell, ramp off") << 40 << "RAMP_ENABLE" << 0;
    QTest::newRow("Zell, velocity mode") << 40 << "MOTION_MODE" << 2;
    QTest::newRow("Veltrax, ramp off") << 135 << "CONFIG_RAMP_ENABLE" << 0;
    QTest::newRow("rotary module, ramp off") << 105 << "rampEnable" << 0;
}

void tst_Motion::rampOffOrAnotherMotionModeJumpsStraightToTheTarget()
{
    QFETCH(int, variant);
    QFETCH(QString, name);
    QFETCH(int, value);
    Fixture f(variant);
    const ProductMotion m = motionOf(variant);
    if (m.mode)
        f.setDevice(QLatin1String(m.mode), 3);
    f.setDevice(name, value);
    QCOMPARE(moveAndWait(f, m, -123456, 1), qint64(1));
}

void tst_Motion::motionCrossesTheCounterLimitTheShortWay()
{
    Fixture f(105);
    const ProductMotion m = motionOf(105);
    f.setDevice(QLatin1String(m.actual), 2147483647 - 20000);
    QList<qint64> seen;
    f.setDevice(QLatin1String(m.target), -2147483647 - 1 + 20000);
    for (int i = 0; i < 300; ++i) {
        f.device()->advance(10);
        seen.append(f.deviceValue(QLatin1String(m.actual)));
    }
    QCOMPARE(seen.last(), qint64(-2147483647 - 1 + 20000));
    QVERIFY2(seen.first() > 0, "the move starts below the top of the counter");
    for (qint64 v : seen)
        QVERIFY2(v > 2147483647LL - 20001 || v < -2147483648LL + 20001, "never the long way round");
}

void tst_Motion::clearingTheCounterAtRestStartsNoMotionButAMoveCommandDoes()
{
    Fixture f(40);
    const ProductMotion m = motionOf(40);
    f.setDevice(QLatin1String(m.mode), 3);
    moveAndWait(f, m, 5000);
    f.setDevice(QLatin1String(m.actual), 0);
    f.device()->advance(2000);
    QCOMPARE(f.deviceValue(QLatin1String(m.actual)), qint64(0));

    f.device()->moveTo(0, 5000);
    f.device()->advance(2000);
    QCOMPARE(f.deviceValue(QLatin1String(m.actual)), qint64(5000));
}

void tst_Motion::velocityIsReportedInTheUnitsOfTheRampValues()
{
    Fixture f(40);
    f.setDevice(QStringLiteral("MOTION_MODE"), 3);
    f.setDevice(QStringLiteral("FOC_PID_POSITION_TARGET"), 1000000);
    f.device()->advance(3000);
    QCOMPARE(f.deviceValue(QStringLiteral("PID_VELOCITY_ACTUAL")), f.deviceValue(QStringLiteral("RAMPER_V_MAX")));
    QCOMPARE(f.device()->motionState(0).velocity, 50000.0);
}

QTEST_MAIN(tst_Motion)
#include "tst_motion.moc"
