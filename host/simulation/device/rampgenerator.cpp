// SPDX-License-Identifier: MIT
#include "rampgenerator.h"

#include "rampbands.h"

#include <algorithm>
#include <cmath>

namespace {
// Time cut into ticks carries rounding noise: a count of ticks this close
// below a whole one is that whole one, and a remainder this short is none.
constexpr double kTickCountSlackTicks = 1e-6;
constexpr double kRemainderSlackSeconds = 1e-6;

// The ticked motion on the ramp's bands.
struct TickedRamp
{
    const RampBands bands;

    explicit TickedRamp(const RampGenerator::Settings& settings)
        : bands(settings)
    {
    }

    // Crosses at once the bands above `speed` that have no acceleration.
    double jumped(double speed) const
    {
        for (int band = 0; band < RampBands::Count; ++band) {
            if (speed >= bands.top(band))
                continue;
            if (bands.acceleration(band) > 0)
                break;
            speed = bands.top(band);
        }
        return speed;
    }

    // The speed after accelerating from `speed` for `seconds`, each band with
    // its own acceleration, then cruising at VMAX; adds the distance run.
    double accelerated(double speed, double seconds, double& travel) const
    {
        double left = seconds;
        for (int band = 0; band < RampBands::Count && left > 0; ++band) {
            if (speed >= bands.top(band))
                continue;
            if (bands.acceleration(band) <= 0) {
                speed = bands.top(band);
                continue;
            }
            const double time = std::min(left, (bands.top(band) - speed) / bands.acceleration(band));
            const double next = time < left ? bands.top(band) : speed + bands.acceleration(band) * time;
            travel += (speed + next) / 2 * time;
            speed = next;
            left -= time;
        }
        travel += speed * left;
        return speed;
    }

    // The speed after braking from `speed` for `seconds`, each band with its
    // own deceleration, down to `floor` at most; adds the distance run and
    // the time it took to reach the floor (all of `seconds` if it did not).
    double braked(double speed, double floor, double seconds, double& travel, double& used) const
    {
        used = 0;
        while (speed > floor && used < seconds) {
            const int band = bands.brakingBand(speed);
            const double low = std::max(floor, bands.bottom(band));
            if (bands.deceleration(band) <= 0) {
                speed = low;
                continue;
            }
            const double time = std::min(seconds - used, (speed - low) / bands.deceleration(band));
            const double next = time < seconds - used ? low : std::max(low, speed - bands.deceleration(band) * time);
            travel += (speed + next) / 2 * time;
            speed = next;
            used += time;
        }
        if (speed > floor)
            used = seconds;
        return speed;
    }

    // The speed after `seconds` of motion towards the target from `speed`
    // without regard to the braking curve: up the ramp to VMAX, or down to it
    // from above; adds the distance run.
    double unbraked(double speed, double seconds, double& travel) const
    {
        if (speed <= bands.vMax())
            return accelerated(speed, seconds, travel);
        double used = 0;
        const double end = braked(speed, bands.vMax(), seconds, travel, used);
        travel += end * (seconds - used);
        return end;
    }

    // How many whole ticks from `state` on are plain cruise at VMAX, with a
    // few ticks' margin before the braking curve; 0 when it is not cruising.
    long long cruiseTicks(double target, const RampGenerator::State& state) const
    {
        const double distance = target - state.position;
        if (bands.stands()) // at a standstill for good: every tick alike, and none runs anything
            return state.velocity == 0 && distance != 0 ? kStandingTicks : 0;
        if (bands.jumps() || distance == 0 || state.velocity != (distance > 0 ? bands.vMax() : -bands.vMax()))
            return 0;
        const double remaining = std::abs(distance);
        const double step = bands.vMax() * RampGenerator::TickSeconds;
        // The tick's own tests (braking curve met, target reached, rounding
        // tolerance) stay clear by several ticks' travel and a position.
        const double room = remaining - bands.brakingDistance(bands.vMax()) - RampBands::roundingSlack(remaining)
                            - 4 * step - 1;
        return room > 0 ? static_cast<long long>(std::min(std::floor(room / step), 1e18)) : 0;
    }

    // One tick (or what is left of one); true when the motion came to rest
    // on the target. Speeds change at the ramp's rates within the tick, and
    // the position moves by what that motion runs; the decisions (accelerate,
    // follow the braking curve, arrive) are taken once per tick.
    bool tick(double target, RampGenerator::State& state, double seconds) const
    {
        const double distance = target - state.position;
        if (distance == 0 && state.velocity == 0)
            return true;
        if (bands.jumps()) {
            state.position = target;
            state.velocity = 0;
            return true;
        }
        if (bands.stands())
            return standStill(target, state, seconds);
        // On the target but still moving counts as moving away from it.
        const double direction = distance > 0 ? 1 : distance < 0 ? -1 : (state.velocity > 0 ? -1 : 1);
        const double speed = state.velocity * direction;

        if (speed < 0) {
            // Moving away (a new target behind, or past the target): brake to
            // a standstill, which comes at V_STOP; the rest of the tick goes
            // towards the target.
            double travel = 0;
            double used = 0;
            const double away = braked(-speed, bands.vStop(), seconds, travel, used);
            state.position -= direction * travel;
            if (away > bands.vStop()) {
                state.velocity = -direction * away;
                return false;
            }
            state.velocity = 0;
            return used < seconds ? tick(target, state, seconds - used) : false;
        }

        const double remaining = std::abs(distance);
        // V_START and bands without acceleration are crossed as the tick
        // starts, as far as the braking curve lets them.
        double begin = speed == 0 && bands.vStart() > 0 ? bands.vStart() : speed;
        begin = jumped(begin);
        if (begin > speed)
            begin = std::max(speed, std::min(begin, bands.brakingSpeed(remaining)));

        double travel = 0;
        double end = begin;
        bool arrives = false;
        const double slack = RampBands::roundingSlack(remaining);
        const double needed = bands.brakingDistance(begin);
        // On the braking curve the speed says where the motion is: as far
        // from the target as braking from it takes. Taking the travel from
        // the curve, rather than adding up each tick's, keeps the motion on
        // it: over millions of ticks of a slow deceleration the rounding of
        // the speed would otherwise carry it off, past the target.
        const auto alongCurve = [&] {
            travel = remaining - bands.brakingDistance(end);
            return end <= bands.vStop();
        };
        bool stopped = false;
        if (needed >= remaining - slack) {
            // On the braking curve, or above it: brake at the ramp's
            // deceleration. On it, the motor stops on the target; above it
            // (a nearer target), it cannot and runs past the target, where it
            // stops as it reaches V_STOP (on the target, if that is no more
            // than rounding).
            double used = 0;
            end = braked(begin, bands.vStop(), seconds, travel, used);
            if (needed <= remaining + slack) {
                arrives = alongCurve();
            } else if (end <= bands.vStop()) {
                stopped = true;
                arrives = std::abs(travel - remaining) <= RampBands::StopOnTargetPositions + slack;
            }
        } else {
            // Below it: up the ramp (or down to VMAX, lowered while moving)
            // and cruise, until the motion meets the braking curve; from
            // there on, down the curve.
            end = unbraked(begin, seconds, travel);
            if (bands.brakingDistance(end) > remaining - travel) {
                // Where it meets the curve: the motion only comes closer to it.
                double before = 0;
                double after = seconds;
                for (int i = 0; i < 50; ++i) {
                    const double middle = (before + after) / 2;
                    double run = 0;
                    (bands.brakingDistance(unbraked(begin, middle, run)) > remaining - run ? after : before) = middle;
                }
                travel = 0;
                double meets = unbraked(begin, before, travel);
                // Met by a jump across a band without acceleration: it jumps as far as the curve.
                meets = std::max(meets, std::min(bands.vMax(), bands.brakingSpeed(remaining - travel)));
                double used = 0;
                end = braked(meets, bands.vStop(), seconds - before, travel, used);
                arrives = alongCurve();
            }
            arrives = arrives || travel >= remaining;
        }

        if (arrives) {
            state.position = target;
            state.velocity = 0;
            return true;
        }
        state.position += direction * travel;
        state.velocity = stopped ? 0 : direction * end;
        return false;
    }

    // VMAX 0: a moving motor brakes to a standstill (with DMAX, as from any
    // speed above VMAX) and stays where it stopped; it has arrived only if
    // that is the target.
    bool standStill(double target, RampGenerator::State& state, double seconds) const
    {
        double travel = 0;
        double used = 0;
        const double direction = state.velocity > 0 ? 1 : -1;
        const double end = braked(std::abs(state.velocity), 0, seconds, travel, used);
        state.position += direction * travel;
        state.velocity = direction * end;
        const double left = target - state.position;
        if (end > 0 || std::abs(left) > RampBands::roundingSlack(left))
            return false;
        state.position = target;
        state.velocity = 0;
        return true;
    }

    // How many ticks a motor that stands for good counts as alike, so that
    // the motion crosses them at once.
    static constexpr long long kStandingTicks = 1000000000000000LL;
};
} // namespace

bool RampGenerator::step(const Settings& settings, double target, State& state, double seconds, long long* ticksRun)
{
    const TickedRamp ramp(settings);
    bool arrived = target == state.position && state.velocity == 0;
    // Every tick is exactly one tick long, so a motion does not depend on how
    // its time was cut.
    const double ticks = seconds / TickSeconds;
    const long long whole = ticks > 0 ? static_cast<long long>(std::floor(ticks + kTickCountSlackTicks)) : 0;
    long long done = 0;
    for (; done < whole && !arrived; ++done)
        arrived = ramp.tick(target, state, TickSeconds);
    const double rest = (ticks - double(whole)) * TickSeconds;
    if (rest > kRemainderSlackSeconds && !arrived) {
        arrived = ramp.tick(target, state, rest);
        ++done;
    }
    if (ticksRun)
        *ticksRun = done;
    return arrived;
}

long long RampGenerator::cruiseTicks(const Settings& settings, double target, const State& state)
{
    return TickedRamp(settings).cruiseTicks(target, state);
}
