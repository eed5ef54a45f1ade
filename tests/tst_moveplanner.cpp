// SPDX-License-Identifier: MIT
#include "device/moveplanner.h"
#include "device/rampbands.h"
#include "device/rampgenerator.h"
#include "device/simulateddevice.h"
#include "fixture.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

Q_DECLARE_METATYPE(RampGenerator::Settings)
Q_DECLARE_METATYPE(RampGenerator::State)

namespace {
using Profile = RampGenerator::Profile;
using Settings = RampGenerator::Settings;
using State = RampGenerator::State;
using Plan = MovePlanner::Plan;

constexpr double kTick = RampGenerator::TickSeconds;
constexpr qint64 kStepTicks = SimulatedDevice::StepMs; // ticks between two of the device's step boundaries

QString describe(const Settings& s)
{
    QString text =
        QStringLiteral("profile %1 ramp %2 position mode %3").arg(int(s.profile)).arg(s.rampEnabled).arg(s.positionMode);
    const QList<QPair<const char*, double>> values{
        {"VSTART", s.vStart}, {"A1", s.a1},     {"V1", s.v1}, {"A2", s.a2}, {"V2", s.v2},      {"AMAX", s.aMax},
        {"VMAX", s.vMax},     {"DMAX", s.dMax}, {"D2", s.d2}, {"D1", s.d1}, {"VSTOP", s.vStop}};
    for (const auto& value : values)
        text += QStringLiteral(" %1 %2").arg(QLatin1String(value.first)).arg(value.second, 0, 'g', 17);
    return text;
}

QString describe(const Plan& plan)
{
    QString text = QStringLiteral("arrival %1 peak %2").arg(plan.arrival, 0, 'f', 6).arg(plan.peakVelocity);
    for (const MovePlanner::Phase& p : plan.phases)
        text += QStringLiteral("\n  %1 %2..%3 s, %4..%5, %6..%7/s")
                    .arg(p.name)
                    .arg(p.startTime, 0, 'f', 6)
                    .arg(p.endTime, 0, 'f', 6)
                    .arg(p.startPosition, 0, 'f', 3)
                    .arg(p.endPosition, 0, 'f', 3)
                    .arg(p.startVelocity, 0, 'f', 3)
                    .arg(p.endVelocity, 0, 'f', 3);
    return text;
}

// One move with random settings, start and target; mostly plausible ramps,
// with every degenerate rule of the ramp generator now and then.
struct Case
{
    Settings settings;
    State start;
    qint32 target = 0;
};

// Plausible moves of up to 1.5 s at VMAX; or long ones (up to the whole
// counter) at any speed from a hundredth of a position a second, on ramps of
// up to 2 s a phase.
enum class Moves { Plausible, Long };

Case randomCase(std::mt19937_64& random, Profile profile, Moves moves)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const auto chance = [&](double p) { return unit(random) < p; };
    const auto logUniform = [&](double low, double high) { return low * std::pow(high / low, unit(random)); };
    Case c;
    Settings& s = c.settings;
    s.profile = profile;
    s.rampEnabled = !chance(0.02);
    s.positionMode = !chance(0.02);
    const bool plausible = moves == Moves::Plausible;
    s.vMax = plausible ? logUniform(100, 1e6) : logUniform(0.01, 1e6);
    // Each ramp phase takes between 5 ms and half a second (long moves: 1 ms
    // and 2 s) from standstill to VMAX, or is instantaneous.
    const auto rate = [&] {
        return chance(0.08) ? 0.0 : s.vMax / (plausible ? logUniform(0.005, 0.5) : logUniform(0.001, 2));
    };
    const auto speed = [&](double share) {
        return chance(share) ? s.vMax * unit(random) * (chance(0.1) ? 1.5 : 1.0) : 0.0;
    };
    s.a1 = rate();
    s.a2 = rate();
    s.aMax = rate();
    s.dMax = rate();
    s.d2 = rate();
    s.d1 = rate();
    s.v1 = speed(0.95);
    s.v2 = chance(0.9) ? std::max(s.v1, speed(1)) : speed(1); // now and then below V1
    s.vStart = speed(0.3);
    s.vStop = speed(0.3);

    std::uniform_int_distribution<qint64> counter(-2147483648LL, 2147483647LL);
    const double fraction = unit(random) - 0.5;
    c.start.position = double(counter(random)) + fraction;
    if (chance(0.1)) // close to either end of the counter
        c.start.position = (chance(0.5) ? 2147483647.0 : -2147483648.0) + (unit(random) - 0.5) * 2e5;
    c.start.position = MovePlanner::wrapped(c.start.position);
    c.start.velocity = chance(0.4) ? 0.0 : s.vMax * (unit(random) * 2.6 - 1.3);
    const double longest = plausible ? s.vMax * 1.5 : 2147483000;
    if (chance(0.02))
        s.vMax = 0; // no speed allowed: the motor stops and stays
    const double distance = chance(0.03) ? 0.0 : (chance(0.5) ? 1 : -1) * logUniform(1, longest);
    c.target = qint32(quint32(quint64(qint64(std::llround(c.start.position + distance)))));
    return c;
}

// The plan against the ramp generator stepping 1 ms ticks as the device runs
// them: relative to a counter value that takes the whole positions run at
// every step boundary, a stretch of plain cruise crossed at once. The arrival
// within 2 ms; at every tick the position within one tick's travel at the
// peak speed; and a plan that does not turn round never runs past the target.
// Empty when they agree, else what went wrong.
QString disagreement(const Case& c)
{
    const Plan plan = MovePlanner::plan(c.settings, c.start, c.target);
    const double whole = std::round(c.start.position);
    const double distance = double(qint32(quint32(c.target) - quint32(qint32(qint64(whole)))));
    const bool turns = std::any_of(plan.phases.begin(), plan.phases.end(),
                                   [](const MovePlanner::Phase& p) { return p.name == QLatin1String("brake"); });
    const double towards = distance > c.start.position - whole ? 1 : -1;
    double counter = 0; // whole positions run, relative to `whole`
    State state{c.start.position - whole, c.start.velocity};
    double peak = std::abs(state.velocity);
    const qint64 limit = qint64(plan.endSeconds() / kTick) + 1000;
    qint64 ticks = 0;
    bool arrived = state.position == distance && state.velocity == 0;
    QString failure;
    while (!arrived && ticks < limit && failure.isEmpty()) {
        const double before = state.position;
        const long long cruise = ticks % kStepTicks == 0
                                     ? RampGenerator::cruiseTicks(c.settings, distance - counter, state)
                                     : 0;
        const qint64 crossed = cruise / kStepTicks * kStepTicks - kStepTicks;
        if (crossed >= 2 * kStepTicks) {
            state.position += double(crossed) * (state.velocity * kTick);
            ticks += crossed;
        } else {
            arrived = RampGenerator::step(c.settings, distance - counter, state, kTick);
            ++ticks;
            // A tick that ends at rest on the target still ran at a speed.
            peak = std::max({peak, std::abs(state.velocity), std::abs(state.position - before) / kTick});
        }
        if (ticks % kStepTicks == 0 && !arrived) {
            const double run = std::round(state.position);
            counter += run;
            state.position -= run;
        }
        const double at = counter + state.position;
        const double off = MovePlanner::wrapped(plan.positionAt(ticks * kTick) - whole - at);
        if (std::abs(off) > peak * kTick + 1e-6)
            failure =
                QStringLiteral("at %1 ms the plan is %2 off the motion (%3 allowed)").arg(ticks).arg(off).arg(peak * kTick);
        else if (!turns
                 && (state.position - (distance - counter)) * towards > RampBands::roundingSlack(distance - counter))
            failure = QStringLiteral("at %1 ms the motion is %2 past the target")
                          .arg(ticks)
                          .arg(std::abs(state.position - (distance - counter)));
        else if (!arrived && state.position == distance - counter && state.velocity != 0)
            failure = QStringLiteral("at %1 ms the motion is on the target at %2/s").arg(ticks).arg(state.velocity);
    }
    if (failure.isEmpty() && !plan.arrives() && arrived)
        failure = QStringLiteral("arrives after %1 ms, planned never").arg(ticks);
    else if (failure.isEmpty() && plan.arrives() && std::abs(ticks * kTick - plan.arrival) > 0.002 + 1e-9)
        failure = QStringLiteral("arrives after %1 ms, planned %2 ms").arg(ticks).arg(plan.arrival * 1000, 0, 'f', 3);
    if (failure.isEmpty())
        return failure;
    return QStringLiteral("%1\n%2\nstart %3 at %4/s, target %5\n%6")
        .arg(failure, describe(c.settings))
        .arg(c.start.position, 0, 'f', 6)
        .arg(c.start.velocity, 0, 'g', 17)
        .arg(c.target)
        .arg(describe(plan));
}
} // namespace

class tst_MovePlanner : public QObject
{
    Q_OBJECT

private slots:
    void planOfAKnownMoveHasItsComputedPhases_data();
    void planOfAKnownMoveHasItsComputedPhases();
    void planAgreesWithTheTickedMotion_data();
    void planAgreesWithTheTickedMotion();
    void planAgreesWithTheTickedMotionOfExtremeMoves_data();
    void planAgreesWithTheTickedMotionOfExtremeMoves();
};

void tst_MovePlanner::planOfAKnownMoveHasItsComputedPhases_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<State>("start");
    QTest::addColumn<int>("target");
    // Phase name and end time; the velocity at the end of the last one.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<double>>("ends");
    QTest::addColumn<double>("peak");

    Settings trapezoid;
    trapezoid.profile = Profile::Trapezoid;
    trapezoid.vMax = 40000;
    trapezoid.aMax = 40000;
    trapezoid.dMax = 20000;
    // 3000 positions never reach VMAX: u²/80000 + u²/40000 = 3000, u = sqrt(8e7).
    const double u = std::sqrt(8e7);
    QTest::newRow("trapezoid triangle") << trapezoid << State{-1000, 0} << 2000 << QStringList{"AMAX", "DMAX"}
                                        << QList<double>{u / 40000, u / 40000 + u / 20000} << u;

    // The Zell product's default ramp over 100000: up 10000/160000 + 20000/60000 + 20000/20000 s over
    // 312.5 + 6666.67 + 40000 positions, the same down to VSTOP 0.01, VMAX over the 6041.67 left.
    const Settings zell = Fixture(40).positionModeRamp();
    const double up[] = {0.0625, 1.0 / 3, 1.0};
    const double cruise = (100000 - 2 * (312.5 + 20000.0 / 3 + 40000)) / 50000;
    const double down1 = (10000 - 0.01) / 160000;
    const double a2 = up[0] + up[1];
    const double aMax = a2 + up[2];
    QTest::newRow("eight-point full move")
        << zell << State{0, 0} << 100000 << QStringList{"A1", "A2", "AMAX", "VMAX", "DMAX", "D2", "D1", "VSTOP"}
        << QList<double>{up[0],
                         a2,
                         aMax,
                         aMax + cruise,
                         aMax + cruise + 1,
                         aMax + cruise + 1 + 1.0 / 3,
                         aMax + cruise + 1 + 1.0 / 3 + down1,
                         aMax + cruise + 1 + 1.0 / 3 + down1}
        << 50000.0;

    // Running at 10000/s past 20000 towards a target at 0: 0.5 s and 2500 positions to a standstill,
    // then 22500 back, a triangle at 20000/s² each way: u = sqrt(4.5e8), 2u/20000 s.
    Settings symmetric = trapezoid;
    symmetric.aMax = symmetric.dMax = 20000;
    const double back = std::sqrt(4.5e8);
    QTest::newRow("reversal") << symmetric << State{20000, 10000} << 0 << QStringList{"brake", "AMAX", "DMAX"}
                              << QList<double>{0.5, 0.5 + back / 20000, 0.5 + 2 * back / 20000} << back;

    // Across the end of the counter the short way: 2^31 - 1 to -2^31 + 99 is 100 ahead.
    Settings instant = trapezoid;
    instant.aMax = instant.dMax = 0;
    QTest::newRow("short way round the counter, instantaneous ramps")
        << instant << State{2147483647, 0} << -2147483647 - 1 + 99 << QStringList{"AMAX", "VMAX", "DMAX"}
        << QList<double>{0, 100 / 40000.0, 100 / 40000.0} << 40000.0;
}

void tst_MovePlanner::planOfAKnownMoveHasItsComputedPhases()
{
    QFETCH(Settings, settings);
    QFETCH(State, start);
    QFETCH(int, target);
    QFETCH(QStringList, names);
    QFETCH(QList<double>, ends);
    QFETCH(double, peak);

    const Plan plan = MovePlanner::plan(settings, start, target);
    QStringList planned;
    for (const MovePlanner::Phase& phase : plan.phases)
        planned.append(phase.name);
    QCOMPARE(planned, names);
    for (int i = 0; i < ends.size(); ++i)
        QVERIFY2(std::abs(plan.phases.at(i).endTime - ends.at(i)) < 1e-9, qPrintable(describe(plan)));
    QVERIFY2(std::abs(plan.arrival - ends.last()) < 1e-9, qPrintable(describe(plan)));
    QVERIFY2(std::abs(plan.peakVelocity - peak) < 1e-6, qPrintable(describe(plan)));
    QCOMPARE(plan.phases.last().endPosition, double(target));
    QCOMPARE(plan.positionAt(plan.arrival + 1), double(target));
    QCOMPARE(plan.velocityAt(plan.arrival + 1), 0.0);
    // Phases follow on without gaps in time, position or velocity.
    for (int i = 1; i < plan.phases.size(); ++i) {
        const MovePlanner::Phase& before = plan.phases.at(i - 1);
        const MovePlanner::Phase& after = plan.phases.at(i);
        QCOMPARE(after.startTime, before.endTime);
        QCOMPARE(after.startPosition, before.endPosition);
        QCOMPARE(after.startVelocity, before.endVelocity);
    }
}

void tst_MovePlanner::planAgreesWithTheTickedMotion_data()
{
    QTest::addColumn<int>("profile");
    QTest::addColumn<int>("moves");
    QTest::addColumn<int>("cases");
    QTest::addColumn<quint64>("seed");
    const int plausible = int(Moves::Plausible);
    QTest::newRow("direct") << int(Profile::Direct) << plausible << 10000 << quint64(1);
    QTest::newRow("trapezoid") << int(Profile::Trapezoid) << plausible << 10000 << quint64(2);
    QTest::newRow("eight-point") << int(Profile::EightPoint) << plausible << 10000 << quint64(3);
    QTest::newRow("trapezoid, long moves") << int(Profile::Trapezoid) << int(Moves::Long) << 500 << quint64(4);
    QTest::newRow("eight-point, long moves") << int(Profile::EightPoint) << int(Moves::Long) << 500 << quint64(5);
}

void tst_MovePlanner::planAgreesWithTheTickedMotion()
{
    QFETCH(int, profile);
    QFETCH(int, moves);
    QFETCH(int, cases);
    QFETCH(quint64, seed);
    std::mt19937_64 random(seed);
    for (int i = 0; i < cases; ++i) {
        const Case c = randomCase(random, Profile(profile), Moves(moves));
        const QString failure = disagreement(c);
        if (!failure.isEmpty())
            QFAIL(qPrintable(QStringLiteral("seed %1, case %2: %3").arg(seed).arg(i).arg(failure)));
    }
}

void tst_MovePlanner::planAgreesWithTheTickedMotionOfExtremeMoves_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<State>("start");
    QTest::addColumn<int>("target");

    // Ramps of 1 position/s²: the speed changes by a thousandth a tick for
    // hundreds of thousands of ticks, and a stop takes seconds to correct.
    Settings slow;
    slow.profile = Profile::Trapezoid;
    slow.vMax = 600;
    slow.aMax = slow.dMax = 1;
    QTest::newRow("trapezoid at 1/s², from rest to near the counter's end") << slow << State{0, 0} << 2147483000;
    Settings slower = slow;
    slower.vMax = 1000;
    QTest::newRow("trapezoid at 1/s², cruising over half the counter")
        << slower << State{-1073741824.25, 1000} << 1073741000;

    Settings eightPoint;
    eightPoint.profile = Profile::EightPoint;
    eightPoint.a1 = eightPoint.a2 = eightPoint.aMax = eightPoint.dMax = eightPoint.d2 = eightPoint.d1 = 1;
    eightPoint.v1 = 120;
    eightPoint.v2 = 360;
    eightPoint.vMax = 600;
    eightPoint.vStop = 0.01;
    QTest::newRow("eight-point, every rate 1/s², from rest to near the counter's end")
        << eightPoint << State{0, 0} << 2147483000;
    QTest::newRow("eight-point, every rate 1/s², cruising backwards over half the counter")
        << eightPoint << State{1073741823.5, -600} << -1073741000;

    // A deceleration without end brakes at no distance, so V_START is taken
    // whole and VMAX held until the target.
    Settings sudden;
    sudden.profile = Profile::EightPoint;
    sudden.vStart = 6000;
    sudden.v1 = 2800;
    sudden.vMax = 8400;
    sudden.a1 = 250;
    sudden.a2 = 350000;
    sudden.aMax = 45000;
    sudden.dMax = std::numeric_limits<double>::infinity();
    sudden.d2 = 830000;
    sudden.d1 = 10000;
    QTest::newRow("eight-point, infinite DMAX") << sudden << State{-0.25, 0} << 1000000;

    // V_START and V_STOP of millions a second: braking from V_START reaches
    // V_STOP on the target within one tick, where the motor rests.
    Settings fierce;
    fierce.profile = Profile::EightPoint;
    fierce.vStart = 35118310;
    fierce.a1 = 1316000;
    fierce.v1 = 20951610;
    fierce.a2 = 777550;
    fierce.v2 = 24481880;
    fierce.aMax = 442250;
    fierce.vMax = 66236760;
    fierce.dMax = 750575;
    fierce.d2 = 1227125;
    fierce.d1 = 468625;
    fierce.vStop = 19369210;
    QTest::newRow("eight-point, V_STOP of 19 million/s") << fierce << State{0, 0} << 61238;

    // Every ramp value 1 in the device's units: 0.01 positions/s and 10/s² (the
    // Veltrax's scales), 10 positions/s and 25/s² (the Veltrax module's).
    for (const auto& scales : {qMakePair(0.01, 10.0), qMakePair(10.0, 25.0)}) {
        Settings ones;
        ones.profile = Profile::EightPoint;
        ones.vStart = ones.v1 = ones.v2 = ones.vMax = ones.vStop = scales.first;
        ones.a1 = ones.a2 = ones.aMax = ones.dMax = ones.d2 = ones.d1 = scales.second;
        QTest::addRow("eight-point, every value 1 at %g/s and %g/s²", scales.first, scales.second)
            << ones << State{-0.25, 0} << 2147483000;
    }
}

void tst_MovePlanner::planAgreesWithTheTickedMotionOfExtremeMoves()
{
    QFETCH(Settings, settings);
    QFETCH(State, start);
    QFETCH(int, target);
    const QString failure = disagreement(Case{settings, start, target});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(tst_MovePlanner)
#include "tst_moveplanner.moc"
