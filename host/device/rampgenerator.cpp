#include "rampgenerator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kInfinite = std::numeric_limits<double>::infinity();

double nonNegative(double value)
{
    return value > 0 ? value : 0; // also turns NaN into 0
}

// The settings brought into a shape the motion can rely on: three velocity
// bands, each with its acceleration and deceleration (0: instantaneous).
struct Ramp
{
    bool direct = true;
    double vStart = 0;
    double vStop = 0;
    double vMax = 0;
    double top[3] = {0, 0, 0}; // upper end of each band; the last one ends at VMAX
    double accel[3] = {0, 0, 0};
    double decel[3] = {0, 0, 0};

    explicit Ramp(const RampGenerator::Settings& settings)
    {
        vMax = nonNegative(settings.vMax);
        direct = settings.profile == RampGenerator::Profile::Direct || !settings.rampEnabled
                 || !settings.positionMode || vMax <= 0 || std::isinf(vMax);
        if (direct)
            return;
        const bool eightPoint = settings.profile == RampGenerator::Profile::EightPoint;
        const auto velocity = [&](double value) { return eightPoint ? std::min(nonNegative(value), vMax) : 0.0; };
        vStart = velocity(settings.vStart);
        vStop = velocity(settings.vStop);
        top[0] = velocity(settings.v1);
        top[1] = std::max(velocity(settings.v2), top[0]);
        top[2] = vMax;
        accel[0] = eightPoint ? nonNegative(settings.a1) : 0;
        accel[1] = eightPoint ? nonNegative(settings.a2) : 0;
        accel[2] = nonNegative(settings.aMax);
        decel[0] = eightPoint ? nonNegative(settings.d1) : 0;
        decel[1] = eightPoint ? nonNegative(settings.d2) : 0;
        decel[2] = nonNegative(settings.dMax);
    }

    // The band a speed brakes in: the band whose upper end it is at counts.
    int brakingBand(double speed) const { return speed > top[1] ? 2 : speed > top[0] ? 1 : 0; }

    // The largest speed from which the deceleration phases stop at V_STOP
    // within `distance`.
    double brakingSpeed(double distance) const
    {
        double rest = distance;
        double low = vStop;
        for (int band = 0; band < 3; ++band) {
            const bool last = band == 2;
            const double high = last ? kInfinite : std::max(low, top[band]);
            if (high <= low)
                continue;
            const double d = decel[band];
            if (d <= 0) { // crossed at no distance
                if (last)
                    return kInfinite;
                low = high;
                continue;
            }
            const double width = last ? kInfinite : (high * high - low * low) / (2 * d);
            if (rest <= width)
                return std::sqrt(low * low + 2 * d * rest);
            rest -= width;
            low = high;
        }
        return low;
    }

    double accelerated(double speed, double limit, double seconds) const
    {
        for (int band = 0; band < 3; ++band) {
            if (speed < top[band]) {
                const double next = accel[band] > 0 ? speed + accel[band] * seconds : top[band];
                return std::min(next, limit);
            }
        }
        return std::min(speed, limit);
    }

    double braked(double speed, double seconds) const
    {
        const int band = brakingBand(speed);
        if (decel[band] <= 0)
            return band == 0 ? 0.0 : top[band - 1];
        return std::max(0.0, speed - decel[band] * seconds);
    }

    // One tick; true when the motion came to rest on the target.
    bool tick(double target, RampGenerator::State& state, double seconds) const
    {
        const double distance = target - state.position;
        if (distance == 0 && state.velocity == 0)
            return true;
        if (direct) {
            state.position = target;
            state.velocity = 0;
            return true;
        }
        // On the target but still moving counts as moving away from it.
        const double direction = distance > 0 ? 1 : distance < 0 ? -1 : (state.velocity > 0 ? -1 : 1);
        double speed = state.velocity * direction;

        if (speed < 0) {
            // Moving away (a new target behind, or past the target): brake to
            // a standstill first; the next ticks start towards the target.
            double away = braked(-speed, seconds);
            if (away <= vStop)
                away = 0;
            state.velocity = -direction * away;
            state.position += state.velocity * seconds;
            return false;
        }

        const double remaining = std::abs(distance);
        // The speed of this tick is run for the whole tick: it must still be
        // able to stop from the middle of it (solved by two fixed-point steps).
        double curve = brakingSpeed(remaining);
        for (int i = 0; i < 2; ++i)
            curve = brakingSpeed(std::max(0.0, remaining - std::min(curve, vMax) * seconds / 2));
        const double limit = std::min(vMax, curve);
        bool overshooting = false;
        if (speed == 0 && vStart > 0) {
            speed = std::min(vStart, limit);
        } else if (speed < limit) {
            speed = accelerated(speed, limit, seconds);
        } else if (speed > limit) {
            // Following the braking curve needs slightly more than the nominal
            // deceleration between ticks; a speed further above it cannot stop
            // in time (a nearer target) and runs past the target.
            const double next = braked(speed, seconds);
            const double d = decel[brakingBand(limit)];
            const bool canFollow = next <= limit || d <= 0 || next - limit <= d * seconds + 1e-9;
            speed = canFollow ? limit : next;
            overshooting = !canFollow && speed > curve;
        }

        if (!overshooting && speed * seconds >= remaining) {
            state.position = target;
            state.velocity = 0;
            return true;
        }
        state.position += direction * speed * seconds;
        state.velocity = direction * speed;
        return false;
    }
};
} // namespace

bool RampGenerator::step(const Settings& settings, double target, State& state, double seconds)
{
    const Ramp ramp(settings);
    bool arrived = target == state.position && state.velocity == 0;
    // Every tick is exactly one tick long, so a motion does not depend on how
    // its time was cut; a remainder of less than a microsecond is rounding noise.
    const double ticks = seconds / TickSeconds;
    const long long whole = ticks > 0 ? static_cast<long long>(std::floor(ticks + 1e-6)) : 0;
    for (long long i = 0; i < whole && !arrived; ++i)
        arrived = ramp.tick(target, state, TickSeconds);
    const double rest = (ticks - double(whole)) * TickSeconds;
    if (rest > 1e-6 && !arrived)
        arrived = ramp.tick(target, state, rest);
    return arrived;
}
