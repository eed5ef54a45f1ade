// SPDX-License-Identifier: MIT
#include "device/motormotion.h"
#include "device/rampdesigner.h"
#include "device/simulateddevice.h"
#include "products/simulatedproduct.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

namespace {
using Ramp = RampDesigner::Ramp;
using Proposal = RampDesigner::Proposal;
using Rule = RampDesigner::Rule;
using Values = QVector<qint64>;

constexpr quint64 kSeed = 20261207;
constexpr int kGoalsPerProduct = 10000;
constexpr double kLeastVelocityUnits = 2000;

// A built-in product's device, from which the designer reads the ramp.
struct Product
{
    std::unique_ptr<SimulatedProduct> files;
    std::unique_ptr<SimulatedDevice> device;

    explicit Product(int variant)
    {
        QString error;
        files = SimulatedProduct::builtIn(variant, &error);
        if (files)
            device = std::make_unique<SimulatedDevice>(*files->description, files->motion);
    }

    Ramp ramp() { return RampDesigner::ramp(*device, 0); }
    void set(const QString& name, qint64 value) { device->setValue(0, name, value); }
};

Values nowValues(const Ramp& ramp)
{
    Values values;
    for (const RampDesigner::Setting& setting : ramp.settings)
        values.append(setting.now);
    return values;
}

Values proposedValues(const Proposal& proposal)
{
    Values values;
    for (const RampDesigner::Setting& setting : proposal.settings)
        values.append(setting.proposed);
    return values;
}

// The move as the device's motor runs it in 1 ms ticks, from standstill at 0:
// the device time it comes to rest on the target, in seconds; -1 if it does
// not within `seconds` and a second.
double simulated(const Ramp& ramp, const Values& values, qint32 distance, double seconds)
{
    MotorMotion motion;
    motion.settle(0, 0);
    motion.command(distance);
    const int limit = int(std::min(seconds * 1000 + 1000, 2e9));
    const std::optional<qint64> arrival = motion.run(RampDesigner::settings(ramp, values), distance, 0, limit);
    return arrival ? *arrival / 1000.0 : -1;
}

QString describe(const Proposal& proposal)
{
    QString text = QStringLiteral("distance %1 wanted %2 s").arg(proposal.distance).arg(proposal.wanted, 0, 'g', 17);
    for (const RampDesigner::Setting& s : proposal.settings)
        text += QStringLiteral("\n  %1 now %2 proposed %3 (%4..%5)")
                    .arg(s.name)
                    .arg(s.now)
                    .arg(s.proposed)
                    .arg(s.minimum)
                    .arg(s.maximum);
    return text;
}

// A plausible starting ramp within the product's ranges: a maximum
// velocity of 100 to a million positions a second and of at least 2000
// units (coarser settings cannot make a duration to the millisecond in
// whole units), each phase between 5 ms and half a second from standstill to
// it, now and then an instantaneous one.
void randomRamp(std::mt19937_64& random, Product& product)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const auto logUniform = [&](double low, double high) { return low * std::pow(high / low, unit(random)); };
    const Ramp ramp = product.ramp();
    double vMax = 0;
    for (const RampDesigner::Setting& s : ramp.settings) {
        if (s.roles.contains(QStringLiteral("vMax")))
            vMax = logUniform(std::max(100.0, kLeastVelocityUnits * ramp.velocityScale),
                              std::min(1e6, double(s.maximum) * ramp.velocityScale));
    }
    const bool eightPoint = ramp.profile == RampGenerator::Profile::EightPoint;
    const double v1 = vMax * unit(random);
    for (const RampDesigner::Setting& s : ramp.settings) {
        double value = 0;
        const QString& role = s.roles.first();
        if (s.kind == RampDesigner::Kind::Acceleration) {
            const bool instant = eightPoint && role != QLatin1String("aMax") && role != QLatin1String("dMax")
                                 && unit(random) < 0.05;
            value = instant ? 0 : vMax / logUniform(0.005, 0.5) / ramp.accelerationScale;
        } else if (role == QLatin1String("vMax")) {
            value = vMax / ramp.velocityScale;
        } else if (role == QLatin1String("v1")) {
            value = v1 / ramp.velocityScale;
        } else if (role == QLatin1String("v2")) {
            value = std::max(v1, vMax * unit(random)) / ramp.velocityScale;
        } else if (unit(random) < 0.3) { // V_START, V_STOP
            value = vMax * 0.3 * unit(random) / ramp.velocityScale;
        }
        const qint64 whole = value > 0 ? std::max<qint64>(1, std::llround(value)) : 0;
        product.set(s.name, std::min(std::max(whole, s.minimum), s.maximum));
    }
}

struct Tally
{
    int feasible = 0;
    int tooFast = 0;
    int tooSlow = 0;
    int inexact = 0;         // far goals that whole values come no closer to than a millisecond
    int crawling = 0;        // the same beyond a factor of 100, where settings are a few units
    int belowLeast = 0;      // fastest: a limit below a setting's least value
    double worstPlanned = 0; // seconds off the wanted duration
    double worstSimulated = 0;
};

// The fastest rule: every velocity and acceleration within the limits, and
// none a unit higher that would be within them and its range; a refusal only
// for a limit below a setting's least value.
QString checkedFastest(const Ramp& ramp, const Proposal& proposal, double maxVelocity, double maxAcceleration)
{
    // The limit a setting is held to in its own units, or none for the settings the rule leaves.
    const auto limitOf = [&](const RampDesigner::Setting& s) {
        if (s.kind == RampDesigner::Kind::Acceleration)
            return maxAcceleration / ramp.accelerationScale;
        return s.roles.contains(QStringLiteral("vMax")) ? maxVelocity / ramp.velocityScale : -1.0;
    };
    for (const RampDesigner::Setting& s : ramp.settings) {
        const double limit = limitOf(s);
        if (limit >= 0 && double(std::max<qint64>(1, s.minimum)) > limit) {
            if (!proposal.error.startsWith(s.name + QStringLiteral(" cannot be kept within")))
                return QStringLiteral("%1's least value exceeds its limit, yet: %2").arg(s.name, proposal.error);
            return QString();
        }
    }
    if (!proposal.error.isEmpty())
        return QStringLiteral("refused: ") + proposal.error;
    for (const RampDesigner::Setting& s : proposal.settings) {
        const double limit = limitOf(s);
        if (limit >= 0 && (double(s.proposed) > limit || (s.proposed < s.maximum && double(s.proposed + 1) <= limit)))
            return QStringLiteral("%1 = %2 is not the largest within its limit").arg(s.name).arg(s.proposed);
    }
    return QString();
}

// Empty when the proposal holds what it says, else what is wrong. A goal
// far from the move now may need settings so small that whole values come
// no closer than a millisecond; the designer may say so for those.
QString checked(const Ramp& ramp, const Proposal& proposal, int* inexact, Tally& tally)
{
    if (inexact && proposal.error.startsWith(QLatin1String("whole values of the settings come no closer than"))) {
        ++*inexact;
        return QString();
    }
    if (proposal.rule == Rule::Fastest && proposal.error.contains(QLatin1String(" cannot be kept within "))) {
        ++tally.belowLeast;
        return QString();
    }
    if (!proposal.error.isEmpty())
        return QStringLiteral("refused: ") + proposal.error;
    const Values values = proposedValues(proposal);
    for (const RampDesigner::Setting& s : proposal.settings) {
        if (s.proposed < s.minimum || s.proposed > s.maximum)
            return QStringLiteral("%1 = %2 is outside its range").arg(s.name).arg(s.proposed);
        if (proposal.rule == Rule::Scaled && (s.now == 0) != (s.proposed == 0))
            return QStringLiteral("%1 went from %2 to %3: the ramp's shape changed").arg(s.name).arg(s.now).arg(s.proposed);
    }
    const double planned = RampDesigner::plan(ramp, values, proposal.distance).arrival;
    if (planned != proposal.plan.arrival)
        return QStringLiteral("the proposal's plan (%1 s) is not the plan of its values (%2 s)")
            .arg(proposal.plan.arrival)
            .arg(planned);
    if (!proposal.feasible) {
        const auto limit = std::find_if(proposal.settings.begin(), proposal.settings.end(),
                                        [&](const RampDesigner::Setting& s) { return s.name == proposal.limit; });
        if (limit == proposal.settings.end())
            return QStringLiteral("the limit \"%1\" is no setting").arg(proposal.limit);
        const qint64 bound = proposal.tooFast ? limit->maximum : std::max<qint64>(1, limit->minimum);
        if (limit->proposed != bound)
            return QStringLiteral("%1 = %2 is not at its limit %3").arg(limit->name).arg(limit->proposed).arg(bound);
        if (planned != proposal.limitSeconds)
            return QStringLiteral("the limit's duration %1 s is not its plan's %2 s").arg(proposal.limitSeconds).arg(planned);
        // Keeping the shape, the limit binds first: every other setting is
        // its value now times the same k (k² for accelerations), rounded.
        if (proposal.rule == Rule::Scaled) {
            const double k = double(limit->proposed) / double(limit->now);
            const auto scale = [](const RampDesigner::Setting& s, double factor) {
                return s.kind == RampDesigner::Kind::Velocity ? factor : factor * factor;
            };
            const double kLimit = limit->kind == RampDesigner::Kind::Velocity ? k : std::sqrt(k);
            for (const RampDesigner::Setting& s : proposal.settings) {
                const double shaped = double(s.now) * scale(s, kLimit);
                const bool raised = s.now > 0 && shaped < 1 && s.proposed == std::max<qint64>(1, s.minimum);
                if (s.now > 0 && !raised && std::abs(double(s.proposed) - shaped) > 0.5 + 1e-9 * shaped)
                    return QStringLiteral("%1 = %2 is not %3 scaled as %4 is")
                        .arg(s.name)
                        .arg(s.proposed)
                        .arg(shaped)
                        .arg(limit->name);
            }
        }
        // The gentlest rule's shortest move has every acceleration and the
        // maximum velocity at their largest, its longest every one at its least.
        if (proposal.rule == Rule::Gentlest) {
            Values extreme = values;
            for (int i = 0; i < extreme.size(); ++i) {
                const RampDesigner::Setting& s = proposal.settings[i];
                if (s.kind == RampDesigner::Kind::Acceleration || s.roles.contains(QStringLiteral("vMax")))
                    extreme[i] = proposal.tooFast ? s.maximum : std::max<qint64>(1, s.minimum);
            }
            if (RampDesigner::plan(ramp, extreme, proposal.distance).arrival != planned)
                return QStringLiteral("the limit's %1 s is not the rule's %2")
                    .arg(planned)
                    .arg(proposal.tooFast ? "shortest" : "longest");
        }
        const double beyond = proposal.tooFast ? planned - proposal.wanted : proposal.wanted - planned;
        if (beyond <= RampDesigner::ToleranceSeconds)
            return QStringLiteral("said infeasible, yet the limit's %1 s is within 1 ms").arg(planned);
        ++(proposal.tooFast ? tally.tooFast : tally.tooSlow);
        return QString();
    }
    if (proposal.rule == Rule::Fastest) {
        const double arrival = simulated(ramp, values, proposal.distance, planned);
        if (arrival < 0 || std::abs(arrival - planned) > 0.002 + 1e-9)
            return QStringLiteral("simulated in 1 ms ticks it arrives after %1 s, planned %2 s").arg(arrival).arg(planned);
        ++tally.feasible;
        return QString();
    }
    const double plannedError = std::abs(planned - proposal.wanted);
    if (plannedError > RampDesigner::ToleranceSeconds)
        return QStringLiteral("planned %1 s").arg(planned, 0, 'f', 6);
    const double arrival = simulated(ramp, values, proposal.distance, proposal.wanted);
    const double simulatedError = std::abs(arrival - proposal.wanted);
    if (arrival < 0 || simulatedError > 0.002 + 1e-9)
        return QStringLiteral("simulated in 1 ms ticks it arrives after %1 s").arg(arrival, 0, 'f', 3);
    ++tally.feasible;
    tally.worstPlanned = std::max(tally.worstPlanned, plannedError);
    tally.worstSimulated = std::max(tally.worstSimulated, simulatedError);
    return QString();
}

} // namespace

class tst_RampDesigner : public QObject
{
    Q_OBJECT

private slots:
    void everyProposalMakesItsDurationOrNamesTheLimitThatBinds_data();
    void everyProposalMakesItsDurationOrNamesTheLimitThatBinds();
    void proposalsByHand_data();
    void proposalsByHand();
    void aLimitThatBindsIsNamedWithItsShortestDuration();
    void goalsThatCannotBeDesignedSaySo_data();
    void goalsThatCannotBeDesignedSaySo();
};

void tst_RampDesigner::everyProposalMakesItsDurationOrNamesTheLimitThatBinds_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("rule");
    // Eight-point (fields sharing registers; parameters) and trapezoid
    // (parameters; one acceleration limit for both ways).
    QTest::newRow("eight-point 40 scaled") << 40 << int(Rule::Scaled);
    QTest::newRow("eight-point 139 scaled") << 139 << int(Rule::Scaled);
    QTest::newRow("trapezoid 105 scaled") << 105 << int(Rule::Scaled);
    QTest::newRow("trapezoid 100 scaled") << 100 << int(Rule::Scaled);
    QTest::newRow("trapezoid 105 gentlest") << 105 << int(Rule::Gentlest);
    QTest::newRow("trapezoid 100 gentlest") << 100 << int(Rule::Gentlest);
    QTest::newRow("eight-point 139 fastest") << 139 << int(Rule::Fastest);
    QTest::newRow("trapezoid 105 fastest") << 105 << int(Rule::Fastest);
}

void tst_RampDesigner::everyProposalMakesItsDurationOrNamesTheLimitThatBinds()
{
    QFETCH(int, variant);
    QFETCH(int, rule);
    Product product(variant);
    QVERIFY(product.device);
    std::mt19937_64 random(kSeed + quint64(variant) * 16 + quint64(rule));
    std::uniform_real_distribution<double> unit(0, 1);
    const auto logUniform = [&](double low, double high) { return low * std::pow(high / low, unit(random)); };
    Tally tally;
    for (int goal = 0; goal < kGoalsPerProduct; ++goal) {
        randomRamp(random, product);
        const Ramp ramp = product.ramp();
        const double vMax = RampDesigner::settings(ramp, nowValues(ramp)).vMax;
        // From a hundredth of a second at VMAX to a few seconds of cruise,
        // either way, and at least 1000 positions (a move of a few positions
        // in seconds needs settings finer than whole units); the wanted
        // duration within a factor of 5 of the move now, one goal in ten far
        // beyond (a factor of up to 100), and one in twenty crawling (100 to
        // 100000 times as long, up to 10⁶ s, where the least settings may not
        // make it). The fastest rule's limits lie
        // from below the settings' least values to beyond their ranges.
        const double reach = std::min(std::max(vMax * logUniform(0.01, 5), 1000.0), 2147483647.0);
        const qint64 distance = (unit(random) < 0.5 ? -1 : 1) * std::llround(reach);
        const double now = RampDesigner::plan(ramp, nowValues(ramp), qint32(distance)).arrival;
        const double pick = unit(random);
        const bool crawl = pick < 0.05;
        const bool far = pick < 0.15;
        const double factor = crawl ? logUniform(100, 1e5) : far ? logUniform(0.01, 100) : logUniform(0.2, 5);
        const double wanted = std::min(std::max(now * factor, 0.01), 1e6);
        Proposal proposal;
        QString wrong;
        if (Rule(rule) == Rule::Fastest) {
            const double maxVelocity = logUniform(ramp.velocityScale / 10, vMax * 100);
            const double maxAcceleration = logUniform(ramp.accelerationScale / 10, maxVelocity * 1000);
            proposal = RampDesigner::fastest(ramp, distance, maxVelocity, maxAcceleration);
            wrong = checkedFastest(ramp, proposal, maxVelocity, maxAcceleration);
        } else {
            proposal = RampDesigner::design(ramp, distance, wanted, Rule(rule));
        }
        if (wrong.isEmpty())
            wrong = checked(ramp, proposal, crawl ? &tally.crawling : far ? &tally.inexact : nullptr, tally);
        QVERIFY2(
            wrong.isEmpty(),
            qPrintable(QStringLiteral("seed %1 goal %2: %3\n%4").arg(kSeed).arg(goal).arg(wrong, describe(proposal))));
    }
    qInfo("seed %llu, %d goals: %d made (worst %.3f ms planned, %.3f ms in 1 ms ticks), %d too fast and %d too slow "
          "for the ranges, %d far ones (and %d crawling ones) not to the millisecond in whole values, %d limits below "
          "a least value",
          kSeed, kGoalsPerProduct, tally.feasible, tally.worstPlanned * 1000, tally.worstSimulated * 1000,
          tally.tooFast, tally.tooSlow, tally.inexact, tally.crawling, tally.belowLeast);
    QVERIFY2(tally.feasible > kGoalsPerProduct * 2 / 5, "most goals are within reach");
}

void tst_RampDesigner::proposalsByHand_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("rule");
    QTest::addColumn<qint64>("distance");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QStringList>("changed"); // NAME=VALUE
    QTest::addColumn<double>("duration");
    QTest::addColumn<double>("maxVelocity");     // Fastest: positions/s
    QTest::addColumn<double>("maxAcceleration"); // Fastest: positions/s²

    // Zell's default ramp (V1 10000, V2 30000, VMAX 50000 positions/s; A1
    // 160000, A2 60000, AMAX 20000 positions/s², decelerations alike) takes
    // 2 × 1.395833 s up and down plus 6041.67 positions of cruise: 2.9125 s.
    // Half as fast: velocities halved, accelerations quartered, the same
    // distances up and down, the cruise at 25000: 5.825 s. V_STOP (1) stays.
    QTest::newRow("eight-point twice as long")
        << 40 << int(Rule::Scaled) << qint64(100000) << 5.825
        << QStringList{"RAMPER_A1=4000",    "RAMPER_V1=500000", "RAMPER_A2=1500",
                       "RAMPER_V2=1500000", "RAMPER_A_MAX=500", "RAMPER_V_MAX=2500000",
                       "RAMPER_D_MAX=500",  "RAMPER_D2=1500",   "RAMPER_D1=4000"}
        << 5.825 << 0.0 << 0.0;
    // The gentlest trapezoid over D in T is a triangle: acceleration 4·D/T²,
    // peak 2·D/T. 100000 in 2 s: 100000 positions/s² up to 100000 positions/s.
    QTest::newRow("trapezoid gentlest, one limit for both ways")
        << 100 << int(Rule::Gentlest) << qint64(100000) << 2.0
        << QStringList{"PID_ACCELERATION_LIMIT=100000", "PID_VELOCITY_LIMIT=100000"} << 2.0 << 0.0 << 0.0;
    // The same in 105's units (2 positions/s, 4 positions/s²); its VMAX of
    // 20000 units (40000 positions/s) is below the peak and rises to it.
    QTest::newRow("trapezoid gentlest, scaled units")
        << 105 << int(Rule::Gentlest) << qint64(-100000) << 2.0
        << QStringList{"acceleration=25000", "maxVelocity=50000", "deceleration=25000"} << 2.0 << 0.0 << 0.0;
    // 100000 in 3 s: 44444.4 positions/s² (11111.1 units), peaking at
    // 66666.7 positions/s, so the maximum velocity rises to 33334 units, the
    // first whole value above the peak; 11111 units take 3.0000135 s.
    QTest::newRow("trapezoid gentlest, a peak between two units")
        << 105 << int(Rule::Gentlest) << qint64(100000) << 3.0
        << QStringList{"acceleration=11111", "maxVelocity=33334", "deceleration=11111"}
        << 2 * std::sqrt(100000 / (11111 * 4.0)) << 0.0 << 0.0;
    // Below the triangle's least acceleration (1 unit, 4 positions/s²) the
    // gentlest move is a trapezoid: 25 s up to 100 positions/s and down, 975 s of cruise.
    QTest::newRow("trapezoid gentlest, at the least acceleration")
        << 105 << int(Rule::Gentlest) << qint64(100000) << 1025.0
        << QStringList{"acceleration=1", "maxVelocity=50", "deceleration=1"} << 1025.0 << 0.0 << 0.0;
    // Settings of a few units (the accelerations scaled to about 12, 9 and 0.3),
    // whose whole values make the duration only in some combinations: the
    // values are the search's, the duration within the tolerance.
    QTest::newRow("trapezoid scaled, accelerations of a few units")
        << 105 << int(Rule::Scaled) << qint64(100000) << 100.0 << QStringList() << 100.0 << 0.0 << 0.0;
    QTest::newRow("trapezoid scaled, accelerations of a few units, 120 s")
        << 108 << int(Rule::Scaled) << qint64(100000) << 120.0 << QStringList() << 120.0 << 0.0 << 0.0;
    QTest::newRow("trapezoid scaled, one acceleration limit of a few units")
        << 100 << int(Rule::Scaled) << qint64(100000) << 340.0 << QStringList() << 340.0 << 0.0 << 0.0;
    // Fastest within 50000 positions/s and 100000 positions/s²: 0.5 s up and
    // down over 12500 positions each, 75000 of cruise in 1.5 s.
    QTest::newRow("trapezoid fastest within a motor's limits")
        << 100 << int(Rule::Fastest) << qint64(100000) << 0.0
        << QStringList{"PID_ACCELERATION_LIMIT=100000", "PID_VELOCITY_LIMIT=50000"} << 2.5 << 50000.0 << 100000.0;
    // Limits beyond the ranges stop at them: 400000 positions/s and 4000000
    // positions/s², 0.1 s up and down over 20000 positions each, 60000 of
    // cruise in 0.15 s.
    QTest::newRow("trapezoid fastest, limits beyond the ranges")
        << 105 << int(Rule::Fastest) << qint64(100000) << 0.0
        << QStringList{"acceleration=1000000", "maxVelocity=200000", "deceleration=1000000"} << 0.35 << 1e9 << 1e9;
    // Every acceleration at 100000 positions/s², V_MAX at 40000 positions/s
    // (0.4 s up and down over 8000 each, 84000 of cruise in 2.1 s); V_STOP
    // (0.01 positions/s) stays.
    QTest::newRow("eight-point fastest") << 40 << int(Rule::Fastest) << qint64(100000) << 0.0
                                         << QStringList{"RAMPER_A1=10000",    "RAMPER_A2=10000",
                                                        "RAMPER_A_MAX=10000", "RAMPER_V_MAX=4000000",
                                                        "RAMPER_D_MAX=10000", "RAMPER_D2=10000",
                                                        "RAMPER_D1=10000"}
                                         << 2.9 << 40000.0 << 100000.0;
}

void tst_RampDesigner::proposalsByHand()
{
    QFETCH(int, variant);
    QFETCH(int, rule);
    QFETCH(qint64, distance);
    QFETCH(double, seconds);
    QFETCH(QStringList, changed);
    QFETCH(double, duration);
    QFETCH(double, maxVelocity);
    QFETCH(double, maxAcceleration);
    Product product(variant);
    const Ramp ramp = product.ramp();
    const Proposal proposal = rule == int(Rule::Fastest)
                                  ? RampDesigner::fastest(ramp, distance, maxVelocity, maxAcceleration)
                                  : RampDesigner::design(ramp, distance, seconds, Rule(rule));
    QVERIFY2(proposal.error.isEmpty(), qPrintable(proposal.error));
    QVERIFY(proposal.feasible);
    QStringList proposed;
    for (const RampDesigner::Setting& s : proposal.changed())
        proposed << QStringLiteral("%1=%2").arg(s.name).arg(s.proposed);
    if (!changed.isEmpty())
        QCOMPARE(proposed, changed);
    const double tolerance = changed.isEmpty() ? RampDesigner::ToleranceSeconds : 1e-6;
    QVERIFY2(std::abs(proposal.plan.arrival - duration) < tolerance,
             qPrintable(QString::number(proposal.plan.arrival, 'f', 9)));
}

void tst_RampDesigner::aLimitThatBindsIsNamedWithItsShortestDuration()
{
    // 100000 in 1 s needs Zell's ramp 2.9125 times as fast: V_MAX would be
    // 14.6 million, beyond its 23 bits. At 8388607 the ramp runs 1.6777 times
    // as fast, 2.9125 / 1.6777 = 1.736 s.
    Product zell(40);
    Proposal proposal = RampDesigner::design(zell.ramp(), 100000, 1.0);
    QVERIFY(!proposal.feasible);
    QVERIFY(proposal.tooFast);
    QCOMPARE(proposal.limit, QStringLiteral("RAMPER_V_MAX"));
    QCOMPARE(QString::number(proposal.limitSeconds, 'f', 3), QStringLiteral("1.736"));
    // The gentlest move this slow would need less than one unit of
    // acceleration and of maximum velocity: at 1 unit of each (4
    // positions/s², 2 positions/s) 1000 positions take 0.5 s up, 499.5 s of
    // cruise and 0.5 s down.
    Product axis(105);
    proposal = RampDesigner::design(axis.ramp(), 1000, 1000.0, Rule::Gentlest);
    QVERIFY(!proposal.feasible);
    QVERIFY(!proposal.tooFast);
    QCOMPARE(proposal.limit, QStringLiteral("maxVelocity"));
    QCOMPARE(QString::number(proposal.limitSeconds, 'f', 3), QStringLiteral("500.500"));
}

void tst_RampDesigner::goalsThatCannotBeDesignedSaySo_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("rule");
    QTest::addColumn<qint64>("distance");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("error");
    QTest::newRow("no distance") << 40 << int(Rule::Scaled) << qint64(0) << 1.0
                                 << "a move of 0 cannot be designed: the distance is 1 to 2147483647 either way";
    QTest::newRow("beyond the counter")
        << 40 << int(Rule::Scaled) << qint64(2147483648LL) << 1.0
        << "a move of 2147483648 cannot be designed: the distance is 1 to 2147483647 either way";
    QTest::newRow("no time") << 40 << int(Rule::Scaled) << qint64(1000) << 0.0 << "a move takes more than 0 s, not 0";
    QTest::newRow("gentlest of eight points") << 135 << int(Rule::Gentlest) << qint64(1000) << 1.0
                                              << "the gentlest move is a trapezoid's, and this ramp has eight points";
    QTest::newRow("no speed to scale") << 139 << int(Rule::Scaled) << qint64(1000) << 1.0
                                       << "maxVelocity is 0: the ramp has no speed to scale";
    // Fastest, SECONDS standing for both limits: one below a setting's least value is not exceeded.
    QTest::newRow("fastest below the least acceleration")
        << 40 << int(Rule::Fastest) << qint64(100000) << 1.0
        << "RAMPER_A1 cannot be kept within 1 positions/s²: its least value, 1, is 10 positions/s²";
    QTest::newRow("fastest below the least acceleration, scaled units")
        << 105 << int(Rule::Fastest) << qint64(100000) << 0.5
        << "acceleration cannot be kept within 0.5 positions/s²: its least value, 1, is 4 positions/s²";
    QTest::newRow("fastest below the least velocity")
        << 139 << int(Rule::Fastest) << qint64(100000) << 0.5
        << "maxVelocity cannot be kept within 0.5 positions/s: its least value, 1, is 10 positions/s";
}

void tst_RampDesigner::goalsThatCannotBeDesignedSaySo()
{
    QFETCH(int, variant);
    QFETCH(int, rule);
    QFETCH(qint64, distance);
    QFETCH(double, seconds);
    QFETCH(QString, error);
    Product product(variant);
    if (QByteArray(QTest::currentDataTag()) == "no speed to scale")
        product.set(QStringLiteral("maxVelocity"), 0);
    // The velocity's row: accelerations allowed, velocity below its least.
    const double acceleration = QByteArray(QTest::currentDataTag()).endsWith("velocity") ? 1e6 : seconds;
    const Proposal proposal = rule == int(Rule::Fastest)
                                  ? RampDesigner::fastest(product.ramp(), distance, seconds, acceleration)
                                  : RampDesigner::design(product.ramp(), distance, seconds, Rule(rule));
    QCOMPARE(proposal.error, error);
    QVERIFY(!proposal.feasible);
}

QTEST_GUILESS_MAIN(tst_RampDesigner)
#include "tst_rampdesigner.moc"
