// SPDX-License-Identifier: MIT
#pragma once

#include "rampgenerator.h"

#include <QtGlobal>

#include <optional>

// The motion of one motor: where it is, to a fraction of a position, and how
// fast it goes, moved on towards its target as device time passes.
//
// The motion runs relative to a counter value (its base), towards the target
// the short way round the 32-bit counter, and moves that value on by whole
// positions at each step boundary of device time. The boundaries are fixed in
// device time, so the arithmetic, down to its rounding, does not depend on
// how the time is cut. A stretch of plain cruise at VMAX is crossed at once:
// from the boundary where it is taken up (its anchor), the position at the
// end of its k-th step is the anchor's plus k steps' travel, one
// multiplication, however the steps were cut.
class MotorMotion
{
public:
    // The device moves its counter on at boundaries this far apart in device time.
    static constexpr int StepMs = 20;

    // The motor stands where the counter says, and `target` is a target it
    // already has: no move to make.
    void settle(qint32 counter, qint32 target);
    // Takes in what the device holds before a stretch of time: a counter
    // written from outside puts the motor where it says, and a target other
    // than the last one seen sets a move off (true).
    bool observe(qint32 counter, qint32 target);
    // A move command: the move sets off even to the target the motor has.
    void command(qint32 target);
    // A move runs until it rests on its target.
    bool isMoving() const { return m_moving; }

    // Runs the move for `milliseconds` from device time `fromMs` towards
    // `target` on the ramp `settings`; the device time it came to rest on the
    // target (the end of the tick it arrived in), if it did.
    std::optional<qint64> run(const RampGenerator::Settings& settings, qint32 target, qint64 fromMs, int milliseconds);

    // The counter as the motion last set it.
    qint32 counter() const { return m_counter; }
    // The exact position (in the 32-bit frame) and velocity as last computed.
    const RampGenerator::State& state() const { return m_state; }
    // Where the next stretch starts from when the device's counter shows `counter`.
    RampGenerator::State startingAt(qint32 counter) const;

private:
    // A stretch of plain cruise at VMAX from its anchor: at the end of its
    // `done`-th step the position is the anchor's plus `done` steps' travel.
    struct Cruise
    {
        bool on = false;
        bool unsettled = false; // a ticked step of cruise moved the fraction at the last boundary
        qint32 base = 0;        // the counter value at the anchor
        double relative = 0;    // the exact position minus `base` at the anchor
        qint64 whole = 0;       // a step's travel: whole positions ...
        double fraction = 0;    // ... and the rest
        qint64 steps = 0;       // the steps of plain cruise from the anchor
        qint64 done = 0;        // the steps run since the anchor
        qint32 target = 0;      // what the cruise was planned for
        RampGenerator::Settings settings;
    };

    double distanceTo(qint32 target) const;
    // At a step boundary: crosses at once as many steps of cruise as there
    // are, up to `available`; 0 when the motion is not cruising.
    qint64 crossCruise(const RampGenerator::Settings& settings, qint32 target, RampGenerator::State& relative,
                       qint64 available);
    bool anchorCruise(const RampGenerator::Settings& settings, qint32 target, const RampGenerator::State& relative);
    void placeOnCruise(RampGenerator::State& relative);
    // A step boundary reached by ticks: the base takes the whole positions run.
    void crossBoundary(RampGenerator::State& relative);
    // Shows where the motion is: at a boundary the counter is the base;
    // between two, the base moved on by what has been run since, rounded.
    void show(const RampGenerator::State& relative, bool atBoundary);

    RampGenerator::State m_state; // exact position and velocity
    double m_fraction = 0;        // exact position minus the counter
    qint32 m_counter = 0;         // the actual position the motion last wrote
    qint32 m_base = 0;            // the counter value the motion runs relative to ...
    double m_relative = 0;        // ... and what it ran from there since the last boundary
    qint32 m_lastTarget = 0;      // the target the motion last saw
    bool m_moving = false;
    Cruise m_cruise;
};
