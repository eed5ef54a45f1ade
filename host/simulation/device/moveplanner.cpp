// SPDX-License-Identifier: MIT
#include "moveplanner.h"

#include "rampbands.h"
#include "simulateddevice.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kCounterSpan = 4294967296.0; // 2^32 positions

// Lays the phases end to end along one axis: time, travel from the start
// (signed) and velocity (signed) run on from one phase into the next.
class Builder
{
public:
    explicit Builder(MovePlanner::Plan& plan)
        : m_plan(plan)
        , m_velocity(plan.startVelocity)
    {
    }

    double time() const { return m_time; }
    double travel() const { return m_travel; }
    // The speed in `direction` (+1 or -1).
    double speed(double direction) const { return m_velocity * direction; }

    // Changes the speed in `direction` to `to` at `rate` (0: at once).
    void changeSpeed(const QString& name, double direction, double to, double rate)
    {
        const double from = speed(direction);
        if (to == from)
            return;
        const double duration = rate > 0 ? std::abs(to - from) / rate : 0;
        append(name, duration, direction * (from + to) / 2 * duration, direction * to);
    }

    void cruise(const QString& name, double direction, double distance)
    {
        const double from = speed(direction);
        if (distance <= 0 || from <= 0)
            return;
        append(name, distance / from, direction * distance, m_velocity);
    }

private:
    void append(const QString& name, double duration, double travel, double velocity)
    {
        MovePlanner::Phase phase;
        phase.name = name;
        phase.startTime = m_time;
        phase.startPosition = m_travel;
        phase.startVelocity = m_velocity;
        m_time += duration;
        m_travel += travel;
        m_velocity = velocity;
        phase.endTime = m_time;
        phase.endPosition = m_travel;
        phase.endVelocity = m_velocity;
        m_plan.phases.append(phase);
    }

    MovePlanner::Plan& m_plan;
    double m_time = 0;
    double m_travel = 0;
    double m_velocity = 0;
};

// Names from static text, so that planning allocates no strings.
QString accelerationName(int band)
{
    return band == 0 ? QStringLiteral("A1") : band == 1 ? QStringLiteral("A2") : QStringLiteral("AMAX");
}

QString decelerationName(int band)
{
    return band == 0 ? QStringLiteral("D1") : band == 1 ? QStringLiteral("D2") : QStringLiteral("DMAX");
}

// Brakes through the bands down to `down` (V_STOP, or VMAX for a motor above it).
void brakeTo(const RampBands& ramp, Builder& builder, double direction, double down, const QString& name = QString())
{
    while (builder.speed(direction) > down) {
        const int band = ramp.brakingBand(builder.speed(direction));
        builder.changeSpeed(name.isNull() ? decelerationName(band) : name, direction, std::max(down, ramp.bottom(band)),
                            ramp.deceleration(band));
    }
}

// Brakes to a standstill: down to V_STOP, where the motor stops.
void brakeToRest(const RampBands& ramp, Builder& builder, double direction)
{
    brakeTo(ramp, builder, direction, ramp.vStop(), QStringLiteral("brake"));
    builder.changeSpeed(QStringLiteral("brake"), direction, 0, 0);
}

// The fastest speed between `from` and VMAX from which accelerating there
// from `from` and braking to V_STOP fit into `distance`.
double peakSpeed(const RampBands& ramp, double from, double distance)
{
    // Both distances grow linearly in the square of the speed between these speeds.
    double speeds[] = {from, ramp.top(0), ramp.top(1), ramp.vStop(), ramp.vMax()};
    std::sort(std::begin(speeds), std::end(speeds));
    const auto needed = [&](double speed) {
        return ramp.accelerationDistance(from, speed) + ramp.brakingDistance(speed);
    };
    double low = from;
    double lowNeeded = needed(from);
    if (lowNeeded >= distance)
        return from;
    for (double high : speeds) {
        if (high <= low)
            continue;
        const double highNeeded = needed(high);
        if (highNeeded > distance) {
            const double square = low * low
                                  + (distance - lowNeeded) * (high * high - low * low) / (highNeeded - lowNeeded);
            return std::min(high, std::max(low, std::sqrt(square)));
        }
        low = high;
        lowNeeded = highNeeded;
    }
    return low;
}

// A move towards the target over `distance`, from a speed that need not run
// past it: up the ramp, cruise, down the ramp, stop.
void approach(const RampBands& ramp, Builder& builder, double direction, double distance)
{
    const double origin = builder.travel();
    const auto left = [&] { return distance - direction * (builder.travel() - origin); };
    if (builder.speed(direction) == 0 && ramp.vStart() > 0)
        builder.changeSpeed(QStringLiteral("VSTART"), direction, std::min(ramp.vStart(), ramp.brakingSpeed(distance)), 0);
    if (builder.speed(direction) > ramp.vMax())
        brakeTo(ramp, builder, direction, ramp.vMax());

    const double peak = peakSpeed(ramp, builder.speed(direction), left());
    while (builder.speed(direction) < peak) {
        const int band = ramp.accelerationBand(builder.speed(direction));
        builder.changeSpeed(accelerationName(band), direction, std::min(peak, ramp.top(band)), ramp.acceleration(band));
    }
    if (peak >= ramp.vMax())
        builder.cruise(QStringLiteral("VMAX"), direction, left() - ramp.brakingDistance(peak));
    brakeTo(ramp, builder, direction, ramp.vStop());
    builder.changeSpeed(QStringLiteral("VSTOP"), direction, 0, 0);
}
} // namespace

double MovePlanner::wrapped(double position)
{
    if (!std::isfinite(position))
        return 0;
    const double shifted = std::fmod(position + kCounterSpan / 2, kCounterSpan);
    return (shifted < 0 ? shifted + kCounterSpan : shifted) - kCounterSpan / 2;
}

MovePlanner::Plan MovePlanner::plan(const RampGenerator::Settings& settings, const RampGenerator::State& start,
                                    qint32 target)
{
    Plan plan;
    plan.startPosition = wrapped(start.position);
    plan.startVelocity = std::isfinite(start.velocity) ? start.velocity : 0;
    plan.target = target;

    // The device runs the move relative to its counter, the short way round.
    const double whole = std::round(plan.startPosition);
    const qint32 counter = qint32(quint32(qint64(whole)));
    const double distance = double(qint32(quint32(target) - quint32(counter))) - (plan.startPosition - whole);
    const RampBands ramp(settings);
    if (ramp.jumps() || (distance == 0 && plan.startVelocity == 0)) {
        plan.startVelocity = ramp.jumps() ? plan.startVelocity : 0;
        plan.peakVelocity = std::abs(plan.startVelocity);
        return plan;
    }

    plan.phases.reserve(12);
    Builder builder(plan);
    if (ramp.stands()) {
        // No speed allowed: a moving motor brakes to a standstill and stays
        // there; the move arrives only if that is the target.
        if (plan.startVelocity != 0)
            brakeToRest(ramp, builder, plan.startVelocity > 0 ? 1 : -1);
        const double missing = distance - builder.travel();
        plan.arrival = std::abs(missing) <= RampBands::roundingSlack(missing) ? builder.time() : Never;
        finished(plan);
        return plan;
    }
    // On the target but still moving counts as moving away from it.
    double direction = distance > 0 ? 1 : distance < 0 ? -1 : (plan.startVelocity > 0 ? -1 : 1);
    double left = std::abs(distance);
    const double speed = builder.speed(direction);
    if (speed < 0) {
        // Moving away: brake to a standstill, then go back.
        const double before = builder.travel();
        brakeToRest(ramp, builder, -direction);
        left += std::abs(builder.travel() - before);
    } else if (ramp.brakingDistance(speed) > left + RampBands::roundingSlack(left)) {
        // Too fast to stop on the target: brake past it, then come back.
        const double before = builder.travel();
        brakeToRest(ramp, builder, direction);
        left = std::abs(builder.travel() - before) - left;
        direction = -direction;
    }
    if (left > 0)
        approach(ramp, builder, direction, left);

    plan.arrival = builder.time();
    finished(plan);
    return plan;
}

void MovePlanner::finished(Plan& plan)
{
    for (Phase& phase : plan.phases) {
        phase.startPosition = wrapped(plan.startPosition + phase.startPosition);
        phase.endPosition = wrapped(plan.startPosition + phase.endPosition);
        plan.peakVelocity = std::max({plan.peakVelocity, std::abs(phase.startVelocity), std::abs(phase.endVelocity)});
    }
    // The last phase ends on the target itself, not on the sum of the phases' distances.
    if (!plan.phases.isEmpty() && plan.arrives())
        plan.phases.last().endPosition = plan.target;
}

MovePlanner::Plan MovePlanner::planMoveTo(SimulatedDevice& device, quint8 motor, qint32 target)
{
    // Every tool's move puts the motor into position mode before it sets the target.
    RampGenerator::Settings settings = device.motionSettings(motor);
    settings.positionMode = true;
    return plan(settings, device.currentMotion(motor), target);
}

MovePlanner::Plan MovePlanner::planMoveBy(SimulatedDevice& device, quint8 motor, qint64 distance)
{
    const qint32 target = qint32(quint32(device.actualPosition(motor)) + quint32(quint64(distance)));
    return planMoveTo(device, motor, target);
}

double MovePlanner::Plan::positionAt(double seconds) const
{
    if (seconds <= 0)
        return startPosition;
    for (const Phase& phase : phases) {
        if (seconds < phase.endTime) {
            const double t = seconds - phase.startTime;
            const double acceleration = (phase.endVelocity - phase.startVelocity) / phase.duration();
            return wrapped(phase.startPosition + phase.startVelocity * t + acceleration * t * t / 2);
        }
    }
    if (!arrives())
        return phases.isEmpty() ? startPosition : phases.last().endPosition;
    return target;
}

double MovePlanner::Plan::velocityAt(double seconds) const
{
    if (seconds < 0)
        return startVelocity;
    for (const Phase& phase : phases) {
        if (seconds < phase.endTime) {
            const double t = seconds - phase.startTime;
            return phase.startVelocity + (phase.endVelocity - phase.startVelocity) * t / phase.duration();
        }
    }
    return 0;
}
