// SPDX-License-Identifier: MIT
#pragma once

// Moves one axis towards its target the way a position controller with a
// ramp generator does. Time passes in fixed ticks of one millisecond, so a
// motion does not depend on how its time is cut into steps. What to do
// (accelerate, follow the braking curve, arrive) is decided once a tick;
// within the tick the speed changes at the ramp's rates, switching rate where
// it crosses a band's end, and the position moves by what that motion runs.
//
// Eight-point ramp: a move starts at V_START, accelerates with A1 up to V1,
// with A2 up to V2 and with AMAX up to VMAX, cruises, and brakes with DMAX
// down to V2, D2 down to V1 and D1 down to V_STOP, where it stops on the
// target. Braking starts when the remaining distance is what the deceleration
// phases need. The trapezoid is the same ramp with only AMAX, VMAX and DMAX.
//
// Degenerate settings (RampBands reads them): a VMAX of zero (or below)
// allows no speed: a moving motor brakes to a standstill with DMAX and the
// motor stays there, short of its target; an acceleration or
// deceleration of zero makes its phase instantaneous (the velocity jumps
// across that phase's band, as it jumps to V_START). Velocity thresholds
// above VMAX are cut to VMAX.
class RampGenerator
{
public:
    enum class Profile { Direct, Trapezoid, EightPoint };

    static constexpr double TickSeconds = 0.001;

    // Velocities in positions per second, accelerations in positions per
    // second squared (the device's units already scaled).
    struct Settings
    {
        Profile profile = Profile::Direct;
        bool positionMode = true;
        bool rampEnabled = true;
        double vStart = 0, a1 = 0, v1 = 0, a2 = 0, v2 = 0, aMax = 0, vMax = 0;
        double dMax = 0, d2 = 0, d1 = 0, vStop = 0;
    };

    struct State
    {
        double position = 0; // exact position; the device shows it rounded
        double velocity = 0; // positions per second, signed
    };

    // Advances `state` by `seconds` towards `target`, both in the same frame
    // (the device hands the target relative to the position, the short way
    // round the 32-bit counter). Returns true when the motion has come to
    // rest exactly on the target; `ticksRun` gets the ticks it took (all of
    // `seconds`, or up to and with the tick it arrived in).
    static bool step(const Settings& settings, double target, State& state, double seconds,
                     long long* ticksRun = nullptr);
    // How many ticks from `state` on are plain cruise at VMAX towards
    // `target`, far enough from the braking curve: each only adds VMAX's
    // travel of a tick to the position. 0 when the motion is not cruising.
    static long long cruiseTicks(const Settings& settings, double target, const State& state);
};
