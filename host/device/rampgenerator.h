#pragma once

// Moves one axis towards its target the way a position controller with a
// ramp generator does, one time step at a time.
class RampGenerator
{
public:
    enum class Profile { Direct, Trapezoid, EightPoint };

    // Raw device values of the ramp; their units belong to the product.
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

    // Advances `state` by `seconds` towards `target`. `target` is taken
    // relative to the position the shortest way round a 32-bit counter.
    static void step(const Settings& settings, double target, State& state, double seconds);
};
