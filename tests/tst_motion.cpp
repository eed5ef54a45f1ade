#include "device/rampgenerator.h"
#include "device/simulateddevice.h"
#include "fixture.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

namespace {
using Profile = RampGenerator::Profile;
using Settings = RampGenerator::Settings;
using State = RampGenerator::State;

constexpr double kTick = RampGenerator::TickSeconds;

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

// The field or parameter of a product's motion role ("target", "actual"), empty if not wired.
struct ProductMotion
{
    explicit ProductMotion(const Fixture& f)
    {
        const auto sources = f.module()->motion().sources;
        target = sources.value(QStringLiteral("target")).name;
        actual = sources.value(QStringLiteral("actual")).name;
    }
    QString target, actual;
};

// Advances in `stepMs` slices until the actual position rests on the target; the device time it took.
qint64 moveAndWait(Fixture& f, const ProductMotion& m, qint64 target, int stepMs = 10, qint64 limitMs = 60000)
{
    const qint64 start = f.device()->timeMs();
    f.setDevice(m.target, target);
    do {
        f.device()->advance(stepMs);
    } while ((f.deviceValue(m.actual) != target || f.device()->motionState(0).velocity != 0)
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
    void howTimeIsCutDoesNotChangeTheMotion_data();
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
    // The default ramps of the Orsax (a trapezoid) and Zell (eight-point) products.
    Settings settings = Fixture(profile == int(Profile::Trapezoid) ? 100 : 40).positionModeRamp();
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

void tst_Motion::howTimeIsCutDoesNotChangeTheMotion_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("setting"); // a device value set before the move, if any
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("distance");
    const qint64 top = 2147483647;
    QTest::newRow("direct") << 40 << "RAMP_ENABLE" << qint64(0) << qint64(5) << qint64(-123456);
    QTest::newRow("eight-point, long cruise across the counter's end")
        << 40 << "" << qint64(0) << top - 500000 << qint64(1200000);
    QTest::newRow("eight-point, cruise of a fraction a tick")
        << 40 << "RAMPER_V_MAX" << qint64(1234567) << qint64(-7) << qint64(-300001);
    QTest::newRow("trapezoid, long cruise across the counter's start")
        << 100 << "" << qint64(0) << -top + 300000 << qint64(-1000000);
}

void tst_Motion::howTimeIsCutDoesNotChangeTheMotion()
{
    QFETCH(int, variant);
    QFETCH(QString, setting);
    QFETCH(qint64, value);
    QFETCH(qint64, start);
    QFETCH(qint64, distance);
    // The same move advanced in 1 ms steps and in random cuts, long and short.
    Fixture fine(variant);
    Fixture cut(variant);
    const ProductMotion m(fine);
    const QString actual = m.actual;
    QList<qint64> arrivals[2];
    for (Fixture* f : {&fine, &cut}) {
        QList<qint64>& arrived = arrivals[f == &cut];
        connect(f->device(), &SimulatedDevice::moveArrived, f->device(),
                [&arrived](quint8, qint64 ms) { arrived << ms; });
        f->positionModeRamp();
        if (!setting.isEmpty())
            f->setDevice(setting, value);
        f->setDevice(actual, start);
        f->setDevice(m.target, qint32(quint32(quint64(start + distance))));
    }
    const quint32 seed = 20261206u + quint32(QTest::currentDataTag()[0]);
    QRandomGenerator random(seed);
    while (arrivals[1].isEmpty() && cut.device()->timeMs() < 120000) {
        const int ms = random.bounded(4) == 0 ? random.bounded(500, 8000) : random.bounded(1, 60);
        cut.device()->advance(ms);
        while (fine.device()->timeMs() < cut.device()->timeMs())
            fine.device()->advance(1);
        const QString where = QStringLiteral("seed %1, at %2 ms").arg(seed).arg(cut.device()->timeMs());
        QVERIFY2(cut.deviceValue(actual) == fine.deviceValue(actual), qPrintable(where));
        QVERIFY2(cut.device()->motionState(0).velocity == fine.device()->motionState(0).velocity, qPrintable(where));
    }
    QCOMPARE(arrivals[1], arrivals[0]);
    QCOMPARE(arrivals[1].size(), 1);
    QCOMPARE(cut.deviceValue(actual), qint64(qint32(quint32(quint64(start + distance)))));
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
    const ProductMotion m(f);
    f.positionModeRamp();
    const qint64 ms = moveAndWait(f, m, 100000);
    QCOMPARE(f.deviceValue(m.actual), qint64(100000));
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
    const ProductMotion m(f);
    f.positionModeRamp();
    f.setDevice(name, value);
    QCOMPARE(moveAndWait(f, m, -123456, 1), qint64(1));
}

void tst_Motion::motionCrossesTheCounterLimitTheShortWay()
{
    Fixture f(105);
    const ProductMotion m(f);
    f.setDevice(m.actual, 2147483647 - 20000);
    QList<qint64> seen;
    f.setDevice(m.target, -2147483647 - 1 + 20000);
    for (int i = 0; i < 300; ++i) {
        f.device()->advance(10);
        seen.append(f.deviceValue(m.actual));
    }
    QCOMPARE(seen.last(), qint64(-2147483647 - 1 + 20000));
    QVERIFY2(seen.first() > 0, "the move starts below the top of the counter");
    for (qint64 v : seen)
        QVERIFY2(v > 2147483647LL - 20001 || v < -2147483648LL + 20001, "never the long way round");
}

void tst_Motion::clearingTheCounterAtRestStartsNoMotionButAMoveCommandDoes()
{
    Fixture f(40);
    const ProductMotion m(f);
    f.positionModeRamp();
    moveAndWait(f, m, 5000);
    f.setDevice(m.actual, 0);
    f.device()->advance(2000);
    QCOMPARE(f.deviceValue(m.actual), qint64(0));

    f.device()->moveTo(0, 5000);
    f.device()->advance(2000);
    QCOMPARE(f.deviceValue(m.actual), qint64(5000));
}

void tst_Motion::velocityIsReportedInTheUnitsOfTheRampValues()
{
    Fixture f(40);
    f.positionModeRamp();
    f.setDevice(QStringLiteral("FOC_PID_POSITION_TARGET"), 1000000);
    f.device()->advance(3000);
    QCOMPARE(f.deviceValue(QStringLiteral("PID_VELOCITY_ACTUAL")), f.deviceValue(QStringLiteral("RAMPER_V_MAX")));
    QCOMPARE(f.device()->motionState(0).velocity, 50000.0);
}

QTEST_MAIN(tst_Motion)
#include "tst_motion.moc"
