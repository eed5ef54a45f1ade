// SPDX-License-Identifier: MIT
#include "rampdesigner.h"

#include "decimaltext.h"
#include "model/productdescription.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregisterfield.h"
#include "motionwiring.h"
#include "simulateddevice.h"

#include <QSet>
#include <queue>

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
// Rounding noise of doubles: a value within this many units below a whole
// one is that whole one (in setting units), and a peak within this share of
// the maximum velocity reaches it.
constexpr double kWholeSlackUnits = 1e-9;
constexpr double kReachedShare = 1e-12;
constexpr double kAimSeconds = 0.0001;
// Halvings of the time scale's range: far finer than one unit of any setting.
constexpr int kScaleHalvings = 64;
constexpr qint64 kRegisterMaximum = 0x7FFFFFFF;
// The plans (each a few hundred nanoseconds) the lattice of whole values may
// take, and those it may still take to come closer once within the tolerance.
constexpr int kLatticeWork = 2500;
constexpr int kPolishWork = 300;

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
        // What each setting sets, looked up once rather than at every plan.
        for (const RampDesigner::Setting& setting : ramp.settings) {
            QVector<double Settings::*> members;
            for (const QString& role : setting.roles)
                members.append(roleInfo(role).member);
            m_members.append(members);
        }
        m_settings.profile = ramp.profile;
    }

    // The plan of `values`, as RampDesigner::plan makes it.
    MovePlanner::Plan plan(const Values& values)
    {
        for (int i = 0; i < values.size(); ++i) {
            const double value = double(values[i]) * scaleOf(m_ramp, m_ramp.settings[i].kind);
            for (double Settings::*member : qAsConst(m_members[i]))
                m_settings.*member = value;
        }
        return MovePlanner::plan(m_settings, RampGenerator::State(), m_distance);
    }

    // The planned duration of `values` minus the wanted one.
    double consider(const Values& values)
    {
        ++m_plans;
        const MovePlanner::Plan planned = plan(values);
        const double error = planned.arrival - m_wanted;
        m_lastPeak = planned.peakVelocity;
        m_lastError = error;
        if (m_best.isEmpty() || std::abs(error) < std::abs(m_bestError)) {
            m_best = values;
            m_bestError = error;
        }
        if (error <= 0 && (m_fast.isEmpty() || error > m_fastError)) {
            m_fast = values;
            m_fastError = error;
        }
        // In the lattice: of the values within the tolerance, those nearest the base.
        if (!m_shapeBase.isEmpty() && std::abs(error) <= RampDesigner::ToleranceSeconds) {
            const double cost = shapeCost(values);
            if (cost < m_shaped.cost)
                m_shaped = Shaped{values, error, cost};
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
    // each acceleration alone, each from the closest values fast enough,
    // which lowering one setting slows by as little as it may (a maximum
    // velocity just below a triangle's peak). Then the lattice (below).
    void refineEach()
    {
        const int vMax = maxVelocityIndex(m_ramp);
        const auto start = [this] { return m_fast.isEmpty() ? m_best : m_fast; };
        const Values shaped = m_best;
        if (!closeEnough())
            refine(vMax, start());
        for (int i = 0; i < m_ramp.settings.size() && !closeEnough(); ++i) {
            if (m_ramp.settings[i].kind == Kind::Acceleration && m_best[i] != 0)
                refine(i, start());
        }
        if (!closeEnough())
            searchLattice(shaped);
    }

    bool closeEnough() const { return !m_best.isEmpty() && std::abs(m_bestError) <= kAimSeconds; }
    bool withinTolerance() const
    {
        return !m_best.isEmpty() && std::abs(m_bestError) <= RampDesigner::ToleranceSeconds;
    }
    const Values& best() const { return m_best; }
    double bestError() const { return m_bestError; }

private:
    // Whole values of settings in the tens of units change the duration by
    // far more than a millisecond a step, and no one of them alone comes
    // close. The setting whose step changes the duration least (mostly the
    // maximum velocity) is then solved for each combination of the others,
    // taken in the order of how far they stray from the closest values found
    // (the sum of their logarithmic distances), so that the ramp keeps its
    // shape as closely as whole values allow.
    void searchLattice(Values base)
    {
        // A maximum velocity above the move's peak changes nothing; at the
        // first whole value not below the peak the move is the same, and a
        // unit less makes a trapezoid of it, which the search needs.
        const int vMax = maxVelocityIndex(m_ramp);
        const double peak = RampDesigner::plan(m_ramp, base, m_distance).peakVelocity / m_ramp.velocityScale;
        if (double(base[vMax]) > peak + 1)
            base[vMax] = std::max(lowest(m_ramp.settings[vMax]), qint64(std::ceil(peak - kWholeSlackUnits)));
        QVector<int> sensitive;
        const QVector<int> fines = sensitiveSettings(base, &sensitive);
        // Each choice to solve for gets its share of the work, until one
        // finds values within the tolerance.
        for (int fine : fines) {
            if (!m_shaped.values.isEmpty())
                break;
            QVector<int> coarse = sensitive;
            coarse.removeOne(fine);
            searchAround(base, fine, coarse, kLatticeWork / fines.size());
        }
        if (!m_shaped.values.isEmpty()) {
            m_best = m_shaped.values;
            m_bestError = m_shaped.error;
        }
    }

    // Solves setting `fine` for combinations of the `coarse` settings
    // around `base`, nearest first, spending at most `work` plans.
    void searchAround(const Values& base, int fine, const QVector<int>& coarse, int work)
    {
        const int vMax = maxVelocityIndex(m_ramp);
        const auto cost = [&](const Values& values) {
            double sum = 0;
            for (int i : qAsConst(coarse))
                sum += std::abs(std::log(double(values[i]) / double(base[i])));
            return sum;
        };
        struct Node
        {
            double cost;
            quint64 order; // first come first served among equal costs, so that the search is the same on every run
            Values values;
            bool operator<(const Node& other) const
            {
                return cost != other.cost ? cost > other.cost : order > other.order;
            }
        };
        std::priority_queue<Node> queue;
        QSet<Values> seen;
        quint64 order = 0;
        queue.push(Node{0, order++, base});
        seen.insert(base);
        qint64 guess = base[fine];
        // The work (plans and combinations taken) is bounded; once values
        // within the tolerance are known, only a little more is spent on
        // closer ones.
        const int budget = m_plans + work;
        int settled = withinTolerance() ? m_plans : -1;
        m_shapeBase = base;
        while (!queue.empty() && m_plans < budget && queue.top().cost < m_shaped.cost) {
            if (!m_shaped.values.isEmpty() && settled < 0)
                settled = m_plans;
            if (settled >= 0 && m_plans - settled > kPolishWork)
                break;
            ++m_plans; // a combination costs about as much as a plan
            const Values values = queue.top().values;
            queue.pop();
            guess = solve(fine, values, guess);
            // A maximum velocity the move does not reach is not raised further: it would change nothing.
            const bool reached = m_lastPeak >= double(values[vMax]) * m_ramp.velocityScale * (1 - kReachedShare);
            for (int i : qAsConst(coarse)) {
                for (qint64 step : {-1, 1}) {
                    Values next = values;
                    next[i] += step;
                    if (next[i] < lowest(m_ramp.settings[i]) || next[i] > m_ramp.settings[i].maximum
                        || (i == vMax && step > 0 && !reached))
                        continue;
                    if (seen.contains(next))
                        continue;
                    seen.insert(next);
                    queue.push(Node{cost(next), order++, next});
                }
            }
        }
        m_shapeBase.clear();
    }

    // How far `values` stray from the lattice's base: the sum of the
    // logarithmic distances of the settings that carry the duration.
    double shapeCost(const Values& values) const
    {
        double sum = 0;
        for (int i = 0; i < values.size(); ++i) {
            const RampDesigner::Setting& setting = m_ramp.settings[i];
            if ((setting.kind == Kind::Acceleration || setsMaxVelocity(setting)) && m_shapeBase[i] > 0)
                sum += std::abs(std::log(double(values[i]) / double(m_shapeBase[i])));
        }
        return sum;
    }

    // The settings that carry the duration (the maximum velocity and the
    // accelerations not 0) whose unit either way changes it at all at
    // `base`, and those to solve for, in turn: the one whose unit changes
    // it least of those that can make up for a unit of any other (their
    // range takes the move that much faster and slower), then the one whose
    // unit changes it least of all, then the maximum velocity; none if no
    // setting changes it.
    QVector<int> sensitiveSettings(const Values& base, QVector<int>* sensitive)
    {
        const double error = consider(base);
        QVector<double> change;
        QVector<double> reach; // how much faster and slower the setting's range can make the move, the lesser
        for (int i = 0; i < m_ramp.settings.size(); ++i) {
            const RampDesigner::Setting& setting = m_ramp.settings[i];
            if ((setting.kind != Kind::Acceleration && !setsMaxVelocity(setting)) || base[i] <= 0)
                continue;
            // A maximum velocity just above a triangle's peak only counts downwards.
            Values next = base;
            double unit = 0;
            for (qint64 step : {1, -1}) {
                next[i] = base[i] + step;
                if (next[i] >= lowest(setting) && next[i] <= setting.maximum)
                    unit = std::max(unit, std::abs(consider(next) - error));
            }
            if (unit == 0)
                continue;
            next[i] = lowest(setting);
            const double slower = consider(next) - error;
            next[i] = setting.maximum;
            const double faster = error - consider(next);
            sensitive->append(i);
            change.append(unit);
            reach.append(std::min(slower, faster));
        }
        int finest = -1;
        bool finestMakesUp = false;
        for (int k = 0; k < sensitive->size(); ++k) {
            double others = 0;
            for (int j = 0; j < sensitive->size(); ++j) {
                if (j != k && (others == 0 || change[j] < others))
                    others = change[j];
            }
            const bool makesUp = reach[k] >= others;
            if (finest < 0 || (makesUp && !finestMakesUp) || (makesUp == finestMakesUp && change[k] < change[finest])) {
                finest = k;
                finestMakesUp = makesUp;
            }
        }
        QVector<int> fines;
        if (finest < 0)
            return fines;
        fines.append(sensitive->at(finest));
        const int least = int(std::min_element(change.begin(), change.end()) - change.begin());
        for (int i : {sensitive->at(least), maxVelocityIndex(m_ramp)}) {
            if (sensitive->contains(i) && !fines.contains(i))
                fines.append(i);
        }
        return fines;
    }

    // Solves setting `index` of `values` for the wanted duration, starting
    // from `guess`: brackets the whole value where the move turns from too
    // slow to fast enough (the duration does not grow with it) by steps that
    // follow the slope, then closes in by interpolation. Both values next to
    // the wanted duration are considered. Returns the last value tried.
    qint64 solve(int index, Values values, qint64 guess)
    {
        const RampDesigner::Setting& setting = m_ramp.settings[index];
        const qint64 least = lowest(setting);
        const auto at = [&](qint64 value) {
            values[index] = value;
            return consider(values);
        };
        qint64 value = std::min(std::max(guess, least), setting.maximum);
        double error = at(value);
        // The bracket: `slow` too slow (error above 0), `fast` fast enough.
        qint64 slow = 0;
        qint64 fast = 0;
        double slowError = 0;
        double fastError = 0;
        const bool up = error > 0;
        (up ? slow : fast) = value;
        (up ? slowError : fastError) = error;
        qint64 step = 1;
        for (;;) {
            const qint64 next = up ? std::min(value + step, setting.maximum) : std::max(value - step, least);
            if (next == value)
                return value; // the range ends before the wanted duration
            const double nextError = at(next);
            if ((nextError > 0) != up) {
                (up ? fast : slow) = next;
                (up ? fastError : slowError) = nextError;
                break;
            }
            // No change: a plateau (a maximum velocity above the triangle's peak), no way there.
            if (nextError == error)
                return next;
            // The next step by the slope of the last one, and at least twice as long.
            const double slope = (nextError - error) / double(next - value);
            const double ahead = std::abs(nextError / slope);
            step = std::max(step * 2, qint64(std::min(ahead * 1.1, 1e15)) + 1);
            value = next;
            error = nextError;
            (up ? slow : fast) = value;
            (up ? slowError : fastError) = error;
        }
        // Between the two: where the line through them meets the wanted duration.
        bool halve = false;
        while (std::abs(fast - slow) > 1 && std::abs(m_lastError) > kAimSeconds) {
            const double span = double(fast - slow);
            qint64 middle = slow + qint64(span / 2);
            if (!halve && slowError != fastError)
                middle = slow + qint64(std::llround(span * slowError / (slowError - fastError)));
            middle = std::min(std::max(middle, std::min(slow, fast) + 1), std::max(slow, fast) - 1);
            const qint64 before = std::abs(fast - slow);
            const double middleError = at(middle);
            (middleError > 0 ? slow : fast) = middle;
            (middleError > 0 ? slowError : fastError) = middleError;
            // Interpolation that leaves a long side is followed by a halving.
            halve = !halve && std::abs(fast - slow) * 2 > before;
        }
        return fast;
    }

    const RampDesigner::Ramp& m_ramp;
    qint32 m_distance;
    double m_wanted;
    QVector<QVector<double Settings::*>> m_members;
    Settings m_settings;
    Values m_best;
    double m_bestError = 0;
    Values m_fast; // the closest values whose move is not slower than wanted
    double m_fastError = 0;
    double m_lastPeak = 0; // the peak velocity of the last plan, positions/s
    double m_lastError = 0;
    Values m_shapeBase; // while the lattice is searched: what its values stray from
    struct Shaped
    {
        Values values;
        double error = 0;
        double cost = std::numeric_limits<double>::infinity();
    };
    Shaped m_shaped; // the values within the tolerance that stray least
    int m_plans = 0;
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
    int highLimit = -1;
    for (int i = 0; i < settings.size(); ++i) {
        if (settings[i].kind != Kind::Acceleration)
            continue;
        rates.append(i);
        low = std::max(low, lowest(settings[i]));
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
    // The duration grows as any of these settings falls: the shortest move
    // has every one at its largest, the longest every one at its least (a
    // trapezoid crawling at the least maximum velocity), and every duration
    // between is to be had.
    Values shortest = values;
    Values longest = values;
    for (int i : qAsConst(rates)) {
        shortest[i] = settings[i].maximum;
        longest[i] = lowest(settings[i]);
    }
    shortest[vMax] = settings[vMax].maximum;
    longest[vMax] = lowest(settings[vMax]);
    Search search(ramp, proposal.distance, proposal.wanted);
    if (search.consider(shortest) > RampDesigner::ToleranceSeconds) {
        // A move that reaches the maximum velocity is held by it, a triangle by its acceleration.
        const double top = double(settings[vMax].maximum) * ramp.velocityScale;
        const bool cruises = RampDesigner::plan(ramp, shortest, proposal.distance).peakVelocity
                             >= top * (1 - kReachedShare);
        return infeasible(proposal, ramp, shortest, settings[cruises ? vMax : highLimit].name, true);
    }
    if (search.consider(longest) < -RampDesigner::ToleranceSeconds)
        return infeasible(proposal, ramp, longest, settings[vMax].name, false);
    // The triangle's peak must be within the maximum velocity, which is raised to it.
    const double needed = std::ceil(peak / ramp.velocityScale - kWholeSlackUnits);
    values[vMax] = std::min(std::max({values[vMax], qint64(std::min(needed, 1e18)), lowest(settings[vMax])}),
                            settings[vMax].maximum);
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
    // A limit below a setting's least whole value cannot be kept: that
    // setting is named with its least value in positions/s (s²).
    for (int i = 0; i < ramp.settings.size(); ++i) {
        const Setting& setting = ramp.settings[i];
        const bool velocity = i == vMax;
        if (!velocity && setting.kind != Kind::Acceleration)
            continue;
        const double limit = velocity ? maxVelocity : maxAcceleration;
        const double scale = scaleOf(ramp, setting.kind);
        if (std::floor(limit / scale) >= double(lowest(setting)))
            continue;
        const QString unit = velocity ? QStringLiteral("positions/s") : QStringLiteral("positions/s²");
        proposal.error = QStringLiteral("%1 cannot be kept within %2 %3: its least value, %4, is %5 %3")
                             .arg(setting.name, decimalText(limit, 6), unit)
                             .arg(lowest(setting))
                             .arg(decimalText(double(lowest(setting)) * scale, 6));
        return proposal;
    }
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
