// SPDX-License-Identifier: MIT
#include "rampdesigner.h"

#include "model/productdescription.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregisterfield.h"
#include "motionwiring.h"
#include "simulateddevice.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {
using Kind = RampDesigner::Kind;
using Settings = RampGenerator::Settings;
using Values = QVector<qint64>;

// The plan is brought this close to the wanted duration where whole values
// allow, well inside the tolerance, so that the ticked motion (which arrives
// at the end of a tick) stays within two ticks of it.
constexpr double kAimSeconds = 0.0001;
// Halvings of the time scale's range: far finer than one unit of any setting.
constexpr int kScaleHalvings = 64;
constexpr qint64 kRegisterMaximum = 0x7FFFFFFF;
// How many units either way of an acceleration the last refinement tries.
constexpr qint64 kLatticeSteps = 16;

struct RoleInfo
{
    const char* role;
    double Settings::*member;
    Kind kind;
    bool trapezoid; // the trapezoid reads it too
};

// The ramp's roles in the order the ramp uses them.
const RoleInfo kRoles[] = {
    {"vStart", &Settings::vStart, Kind::Velocity, false}, {"a1", &Settings::a1, Kind::Acceleration, false},
    {"v1", &Settings::v1, Kind::Velocity, false},         {"a2", &Settings::a2, Kind::Acceleration, false},
    {"v2", &Settings::v2, Kind::Velocity, false},         {"aMax", &Settings::aMax, Kind::Acceleration, true},
    {"vMax", &Settings::vMax, Kind::Velocity, true},      {"dMax", &Settings::dMax, Kind::Acceleration, true},
    {"d2", &Settings::d2, Kind::Acceleration, false},     {"d1", &Settings::d1, Kind::Acceleration, false},
    {"vStop", &Settings::vStop, Kind::Velocity, false},
};

const RoleInfo& roleInfo(const QString& role)
{
    for (const RoleInfo& info : kRoles) {
        if (role == QLatin1String(info.role))
            return info;
    }
    return kRoles[0];
}

double scaleOf(const RampDesigner::Ramp& ramp, Kind kind)
{
    return kind == Kind::Velocity ? ramp.velocityScale : ramp.accelerationScale;
}

// The least value a setting that is not 0 may take: 0 would make its phase
// vanish and change the ramp's shape.
qint64 lowest(const RampDesigner::Setting& setting)
{
    return std::max<qint64>(setting.minimum, 1);
}

bool setsMaxVelocity(const RampDesigner::Setting& setting)
{
    return setting.roles.contains(QStringLiteral("vMax"));
}

// A value brought within a setting's range and rounded to a whole one.
qint64 wholeWithin(const RampDesigner::Setting& setting, double value)
{
    const double bounded = std::min(std::max(value, double(lowest(setting))), double(setting.maximum));
    return std::llround(bounded);
}

int maxVelocityIndex(const RampDesigner::Ramp& ramp)
{
    for (int i = 0; i < ramp.settings.size(); ++i) {
        if (setsMaxVelocity(ramp.settings[i]))
            return i;
    }
    return -1;
}

// Plans candidate values and keeps the one whose duration comes closest to the wanted one.
class Search
{
public:
    Search(const RampDesigner::Ramp& ramp, qint32 distance, double wanted)
        : m_ramp(ramp)
        , m_distance(distance)
        , m_wanted(wanted)
    {
    }

    // The planned duration of `values` minus the wanted one.
    double consider(const Values& values)
    {
        const double error = RampDesigner::plan(m_ramp, values, m_distance).arrival - m_wanted;
        if (m_best.isEmpty() || std::abs(error) < std::abs(m_bestError)) {
            m_best = values;
            m_bestError = error;
        }
        if (error <= 0 && (m_fast.isEmpty() || error > m_fastError)) {
            m_fast = values;
            m_fastError = error;
        }
        return error;
    }

    // Bisects a family of values whose duration does not grow with `x`,
    // between `low` (too slow) and `high` (fast enough), on whole numbers.
    void bisect(qint64 low, qint64 high, const std::function<Values(qint64)>& valuesAt)
    {
        while (high - low > 1 && !closeEnough()) {
            const qint64 middle = low + (high - low) / 2;
            (consider(valuesAt(middle)) > 0 ? low : high) = middle;
        }
    }

    // Moves one setting alone, from `start`, to the whole value that comes
    // closest: a larger velocity or acceleration never makes the move slower.
    void refine(int index, const Values& start)
    {
        const RampDesigner::Setting& setting = m_ramp.settings[index];
        const auto valuesAt = [&](qint64 value) {
            Values values = start;
            values[index] = value;
            return values;
        };
        const qint64 low = lowest(setting);
        if (consider(valuesAt(setting.maximum)) > 0 || consider(valuesAt(low)) <= 0)
            return;
        bisect(low, setting.maximum, valuesAt);
    }

    // While the best is not close enough: the maximum velocity alone, then
    // each acceleration alone, then each acceleration a few units either way
    // with the maximum velocity refined for each, which whole values of
    // settings in the tens or hundreds of units need. Each starts from the
    // closest values fast enough, which lowering one setting slows by as
    // little as it may (a maximum velocity just below a triangle's peak).
    void refineEach()
    {
        const int vMax = maxVelocityIndex(m_ramp);
        const auto start = [this] { return m_fast.isEmpty() ? m_best : m_fast; };
        if (!closeEnough())
            refine(vMax, start());
        for (int i = 0; i < m_ramp.settings.size() && !closeEnough(); ++i) {
            if (m_ramp.settings[i].kind == Kind::Acceleration && m_best[i] != 0)
                refine(i, start());
        }
        for (int i = 0; i < m_ramp.settings.size() && !closeEnough(); ++i) {
            if (m_ramp.settings[i].kind != Kind::Acceleration || m_best[i] == 0)
                continue;
            const Values base = start();
            for (qint64 step = -kLatticeSteps; step <= kLatticeSteps && !closeEnough(); ++step) {
                Values values = base;
                values[i] = std::min(std::max(base[i] + step, lowest(m_ramp.settings[i])), m_ramp.settings[i].maximum);
                refine(vMax, values);
            }
        }
    }

    bool closeEnough() const { return !m_best.isEmpty() && std::abs(m_bestError) <= kAimSeconds; }
    bool withinTolerance() const
    {
        return !m_best.isEmpty() && std::abs(m_bestError) <= RampDesigner::ToleranceSeconds;
    }
    const Values& best() const { return m_best; }
    double bestError() const { return m_bestError; }

private:
    const RampDesigner::Ramp& m_ramp;
    qint32 m_distance;
    double m_wanted;
    Values m_best;
    double m_bestError = 0;
    Values m_fast; // the closest values whose move is not slower than wanted
    double m_fastError = 0;
};

Values nowValues(const RampDesigner::Ramp& ramp)
{
    Values values;
    values.reserve(ramp.settings.size());
    for (const RampDesigner::Setting& setting : ramp.settings)
        values.append(setting.now);
    return values;
}

// The proposal's values and their plan.
void propose(RampDesigner::Proposal& proposal, const RampDesigner::Ramp& ramp, const Values& values)
{
    for (int i = 0; i < proposal.settings.size(); ++i)
        proposal.settings[i].proposed = values[i];
    proposal.plan = RampDesigner::plan(ramp, values, proposal.distance);
}

// Says the wanted duration cannot be had: `limit` binds at `values`.
void infeasible(RampDesigner::Proposal& proposal, const RampDesigner::Ramp& ramp, const Values& values,
                const QString& limit, bool tooFast)
{
    propose(proposal, ramp, values);
    proposal.feasible = false;
    proposal.limit = limit;
    proposal.tooFast = tooFast;
    proposal.limitSeconds = proposal.plan.arrival;
}

// The outcome of a search that stayed within the ranges.
void settle(RampDesigner::Proposal& proposal, const RampDesigner::Ramp& ramp, const Search& search)
{
    propose(proposal, ramp, search.best());
    proposal.feasible = search.withinTolerance();
    if (!proposal.feasible) {
        proposal.error = QStringLiteral("whole values of the settings come no closer than %1 ms to %2 s")
                             .arg(std::abs(search.bestError()) * 1000, 0, 'f', 3)
                             .arg(proposal.wanted, 0, 'f', 3);
    }
}

// Keeps the ramp's shape and scales it in time.
void designScaled(RampDesigner::Proposal& proposal, const RampDesigner::Ramp& ramp)
{
    const QVector<RampDesigner::Setting>& settings = ramp.settings;
    // How far each setting lets the time scale k go: velocities grow with k, accelerations with k².
    const auto bound = [](const RampDesigner::Setting& setting, double limit) {
        const double ratio = limit / double(setting.now);
        return setting.kind == Kind::Velocity ? ratio : std::sqrt(ratio);
    };
    double kHigh = std::numeric_limits<double>::infinity();
    double kLow = 0;
    int highLimit = -1;
    int lowLimit = -1;
    for (int i = 0; i < settings.size(); ++i) {
        const RampDesigner::Setting& setting = settings[i];
        if (setting.now <= 0)
            continue;
        const double high = bound(setting, double(setting.maximum));
        if (high < kHigh) {
            kHigh = high;
            highLimit = i;
        }
        // Velocity thresholds may stop at their least value; the maximum
        // velocity and the accelerations carry the duration and bind.
        const double low = bound(setting, double(lowest(setting)));
        if ((setting.kind == Kind::Acceleration || setsMaxVelocity(setting)) && low > kLow) {
            kLow = low;
            lowLimit = i;
        }
    }
    const auto valuesAt = [&](double k) {
        Values values(settings.size(), 0);
        for (int i = 0; i < settings.size(); ++i) {
            const RampDesigner::Setting& setting = settings[i];
            if (setting.now > 0)
                values[i] = wholeWithin(setting, double(setting.now) * (setting.kind == Kind::Velocity ? k : k * k));
        }
        return values;
    };
    Search search(ramp, proposal.distance, proposal.wanted);
    // The limits first: with the binding setting at its limit, is the wanted duration to be had?
    Values high = valuesAt(kHigh);
    high[highLimit] = settings[highLimit].maximum;
    if (search.consider(high) > RampDesigner::ToleranceSeconds)
        return infeasible(proposal, ramp, high, settings[highLimit].name, true);
    if (lowLimit >= 0) {
        Values low = valuesAt(kLow);
        low[lowLimit] = lowest(settings[lowLimit]);
        if (search.consider(low) < -RampDesigner::ToleranceSeconds)
            return infeasible(proposal, ramp, low, settings[lowLimit].name, false);
    }
    // The planned duration runs as 1/k; rounding bends it a little, so a
    // few steps of that rule, then bisection of k between the bounds found.
    double kSlow = kLow;
    double kFast = kHigh;
    double k = std::min(std::max(proposal.current.arrival / proposal.wanted, kLow), kHigh);
    for (int step = 0; step < 6 && !search.closeEnough(); ++step) {
        const double error = search.consider(valuesAt(k));
        (error > 0 ? kSlow : kFast) = k;
        k = std::min(std::max(k * (1 + error / proposal.wanted), kSlow), kFast);
    }
    for (int halving = 0; halving < kScaleHalvings && !search.closeEnough() && kFast > kSlow; ++halving) {
        const double middle = kSlow > 0 ? std::sqrt(kSlow * kFast) : kFast / 2;
        (search.consider(valuesAt(middle)) > 0 ? kSlow : kFast) = middle;
    }
    search.refineEach();
    settle(proposal, ramp, search);
}

// The trapezoid's gentlest move: a triangle with the lowest acceleration and deceleration.
void designGentlest(RampDesigner::Proposal& proposal, const RampDesigner::Ramp& ramp)
{
    const QVector<RampDesigner::Setting>& settings = ramp.settings;
    const double distance = std::abs(double(proposal.distance));
    const double peak = 2 * distance / proposal.wanted;
    const int vMax = maxVelocityIndex(ramp);
    Values values = nowValues(ramp);
    // The accelerations move together, within the narrowest of their ranges.
    QVector<int> rates;
    qint64 low = 0;
    qint64 high = std::numeric_limits<qint64>::max();
    int lowLimit = -1;
    int highLimit = -1;
    for (int i = 0; i < settings.size(); ++i) {
        if (settings[i].kind != Kind::Acceleration)
            continue;
        rates.append(i);
        if (lowest(settings[i]) > low) {
            low = lowest(settings[i]);
            lowLimit = i;
        }
        if (settings[i].maximum < high) {
            high = settings[i].maximum;
            highLimit = i;
        }
    }
    if (rates.isEmpty()) {
        proposal.error = QStringLiteral("the ramp has no acceleration to design");
        return;
    }
    const auto valuesAt = [&](qint64 rate) {
        Values candidate = values;
        for (int i : rates)
            candidate[i] = rate;
        return candidate;
    };
    // The triangle's peak must be within the maximum velocity, which binds when it cannot be.
    const double needed = std::ceil(peak / ramp.velocityScale - 1e-9);
    values[vMax] = std::min(std::max({values[vMax], qint64(std::min(needed, 1e18)), lowest(settings[vMax])}),
                            settings[vMax].maximum);
    if (needed > double(settings[vMax].maximum))
        highLimit = vMax;
    Search search(ramp, proposal.distance, proposal.wanted);
    if (search.consider(valuesAt(high)) > RampDesigner::ToleranceSeconds)
        return infeasible(proposal, ramp, valuesAt(high), settings[highLimit].name, true);
    if (search.consider(valuesAt(low)) < -RampDesigner::ToleranceSeconds)
        return infeasible(proposal, ramp, valuesAt(low), settings[lowLimit].name, false);
    const double rate = 4 * distance / (proposal.wanted * proposal.wanted) / ramp.accelerationScale;
    const qint64 start = std::llround(std::min(std::max(rate, double(low)), double(high)));
    const double error = search.consider(valuesAt(start));
    search.bisect(error > 0 ? start : low, error > 0 ? high : start, valuesAt);
    search.refineEach();
    settle(proposal, ramp, search);
}

RampDesigner::Proposal begin(const RampDesigner::Ramp& ramp, RampDesigner::Rule rule, qint64 distance)
{
    RampDesigner::Proposal proposal;
    proposal.rule = rule;
    proposal.settings = ramp.settings;
    if (ramp.settings.isEmpty() || maxVelocityIndex(ramp) < 0) {
        proposal.error = QStringLiteral("the motion has no ramp to design: it goes straight to the target");
        return proposal;
    }
    if (distance == 0 || distance > std::numeric_limits<qint32>::max() || distance < -std::numeric_limits<qint32>::max()) {
        proposal.error =
            QStringLiteral("a move of %1 cannot be designed: the distance is 1 to 2147483647 either way").arg(distance);
        return proposal;
    }
    proposal.distance = qint32(distance);
    proposal.current = RampDesigner::plan(ramp, nowValues(ramp), proposal.distance);
    return proposal;
}
} // namespace

QVector<RampDesigner::Setting> RampDesigner::Proposal::changed() const
{
    QVector<Setting> result;
    for (const Setting& setting : settings) {
        if (setting.proposed != setting.now)
            result.append(setting);
    }
    return result;
}

RampDesigner::Ramp RampDesigner::ramp(SimulatedDevice& device, quint8 motor)
{
    const ProductDescription* product = device.product();
    return product ? ramp(*product, device.motion(), device.motionSettings(motor)) : Ramp();
}

RampDesigner::Ramp RampDesigner::ramp(const ProductDescription& product, const MotionWiring& wiring,
                                      const RampGenerator::Settings& now)
{
    Ramp ramp;
    ramp.profile = wiring.profile;
    ramp.velocityScale = wiring.velocityScale;
    ramp.accelerationScale = wiring.accelerationScale;
    if (ramp.profile == RampGenerator::Profile::Direct)
        return ramp;
    for (const RoleInfo& info : kRoles) {
        if (ramp.profile == RampGenerator::Profile::Trapezoid && !info.trapezoid)
            continue;
        const QString role = QLatin1String(info.role);
        const auto source = wiring.sources.constFind(role);
        if (source == wiring.sources.constEnd())
            continue;
        // One value may set several roles (an acceleration limit for both ways).
        const auto same = std::find_if(ramp.settings.begin(), ramp.settings.end(),
                                       [&](const Setting& setting) { return setting.name == source->name; });
        if (same != ramp.settings.end()) {
            same->roles.append(role);
            continue;
        }
        Setting setting;
        setting.name = source->name;
        setting.roles = QStringList{role};
        setting.kind = info.kind;
        switch (source->kind) {
        case MotionWiring::Source::Field: {
            const XmlValueRegisterField* field = product.ic() ? product.ic()->getRegisterFieldByName(source->name, true)
                                                              : nullptr;
            if (!field)
                continue;
            setting.minimum = field->minimum();
            setting.maximum = field->maximum();
            break;
        }
        case MotionWiring::Source::Parameter: {
            const XmlParameterInterface* parameter = product.parameter(source->name);
            if (!parameter)
                continue;
            setting.minimum = parameter->minimum();
            setting.maximum = parameter->maximum();
            break;
        }
        case MotionWiring::Source::Register:
            setting.maximum = kRegisterMaximum;
            break;
        }
        // The ramp takes no negative values.
        setting.minimum = std::max<qint64>(setting.minimum, 0);
        setting.maximum = std::max(setting.maximum, setting.minimum);
        setting.now = std::llround(now.*info.member / scaleOf(ramp, info.kind));
        setting.proposed = setting.now;
        ramp.settings.append(setting);
    }
    return ramp;
}

RampGenerator::Settings RampDesigner::settings(const Ramp& ramp, const QVector<qint64>& values)
{
    Settings settings;
    settings.profile = ramp.profile;
    for (int i = 0; i < ramp.settings.size() && i < values.size(); ++i) {
        const Setting& setting = ramp.settings[i];
        for (const QString& role : setting.roles)
            settings.*roleInfo(role).member = double(values[i]) * scaleOf(ramp, setting.kind);
    }
    return settings;
}

MovePlanner::Plan RampDesigner::plan(const Ramp& ramp, const QVector<qint64>& values, qint32 distance)
{
    return MovePlanner::plan(settings(ramp, values), RampGenerator::State(), distance);
}

RampDesigner::Proposal RampDesigner::design(const Ramp& ramp, qint64 distance, double seconds, Rule rule)
{
    Proposal proposal = begin(ramp, rule, distance);
    proposal.wanted = seconds;
    if (!proposal.error.isEmpty())
        return proposal;
    if (!std::isfinite(seconds) || seconds <= 0) {
        proposal.error = QStringLiteral("a move takes more than 0 s, not %1").arg(seconds);
        return proposal;
    }
    if (rule == Rule::Gentlest) {
        if (ramp.profile != RampGenerator::Profile::Trapezoid) {
            proposal.error = QStringLiteral("the gentlest move is a trapezoid's, and this ramp has eight points");
            return proposal;
        }
        designGentlest(proposal, ramp);
        return proposal;
    }
    const Setting& vMax = ramp.settings[maxVelocityIndex(ramp)];
    if (vMax.now <= 0) {
        proposal.error = QStringLiteral("%1 is 0: the ramp has no speed to scale").arg(vMax.name);
        return proposal;
    }
    designScaled(proposal, ramp);
    return proposal;
}

RampDesigner::Proposal RampDesigner::fastest(const Ramp& ramp, qint64 distance, double maxVelocity, double maxAcceleration)
{
    Proposal proposal = begin(ramp, Rule::Fastest, distance);
    if (!proposal.error.isEmpty())
        return proposal;
    if (!(maxVelocity > 0) || !(maxAcceleration > 0) || std::isinf(maxVelocity) || std::isinf(maxAcceleration)) {
        proposal.error = QStringLiteral("the limits are a velocity and an acceleration above 0, not %1 and %2")
                             .arg(maxVelocity)
                             .arg(maxAcceleration);
        return proposal;
    }
    // Every acceleration at the motor's limit and the maximum velocity at
    // its limit; V_START and V_STOP at most that.
    Values values = nowValues(ramp);
    const int vMax = maxVelocityIndex(ramp);
    const auto within = [&](int i, double value) { return wholeWithin(ramp.settings[i], std::floor(value)); };
    values[vMax] = within(vMax, maxVelocity / ramp.velocityScale);
    for (int i = 0; i < ramp.settings.size(); ++i) {
        const Setting& setting = ramp.settings[i];
        if (setting.kind == Kind::Acceleration)
            values[i] = within(i, maxAcceleration / ramp.accelerationScale);
        else if (setting.roles.contains(QStringLiteral("vStart")) || setting.roles.contains(QStringLiteral("vStop")))
            values[i] = std::min(values[i], values[vMax]);
    }
    propose(proposal, ramp, values);
    proposal.feasible = true;
    proposal.wanted = proposal.plan.arrival;
    return proposal;
}
