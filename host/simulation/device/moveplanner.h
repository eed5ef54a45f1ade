// SPDX-License-Identifier: MIT
#pragma once

#include "rampgenerator.h"

#include <QString>
#include <QVector>

#include <limits>

class SimulatedDevice;

// Plans a move the way the device's ramp generator runs it, in closed form:
// from the ramp settings (already through the product's scales), where the
// motor is and how fast it goes, and the target, the phases of the motion.
//
// A phase is a stretch of constant acceleration, named in the ramp's terms:
// VSTART, A1, A2, AMAX, VMAX, DMAX, D2, D1, VSTOP, or "brake" for the braking
// to a standstill of a move that starts away from its target (or too fast to
// stop before it) and then goes back. A velocity that jumps (V_START, V_STOP,
// an acceleration or deceleration of zero) is a phase of no duration, so the
// velocity runs on without a gap from one phase to the next. A ramp that is
// off, a motor not in position mode and the direct profile jump to the
// target: a plan without phases that arrives at once. A VMAX of 0 lets the
// motor go nowhere: a moving motor brakes to a standstill, and the plan never
// arrives (unless that standstill is the target).
class MovePlanner
{
public:
    // The arrival of a move that does not reach its target.
    static constexpr double Never = std::numeric_limits<double>::infinity();

    struct Phase
    {
        QString name;
        double startTime = 0; // seconds from the start of the move
        double endTime = 0;
        double startPosition = 0; // in the device's 32-bit frame
        double endPosition = 0;
        double startVelocity = 0; // positions per second, signed
        double endVelocity = 0;

        double duration() const { return endTime - startTime; }
    };

    struct Plan
    {
        QVector<Phase> phases;
        double startPosition = 0;
        double startVelocity = 0;
        qint32 target = 0;
        double arrival = 0;      // seconds from the start until the motor rests on the target, or Never
        double peakVelocity = 0; // the largest speed of the move, positions per second

        bool arrives() const { return arrival != Never; }
        // When the plan's last phase ends: its arrival, or where a move that
        // never arrives comes to rest.
        double endSeconds() const { return arrives() ? arrival : phases.isEmpty() ? 0 : phases.last().endTime; }

        // Where the motor is and how fast it goes `seconds` after the start.
        double positionAt(double seconds) const;
        double velocityAt(double seconds) const;
    };

    // `start.position` is the exact position in the device's 32-bit frame;
    // the motor goes to `target` the short way round the counter.
    static Plan plan(const RampGenerator::Settings& settings, const RampGenerator::State& start, qint32 target);

    // The plan of a motor's next move as a tool makes it, from where the
    // motor is and how fast it goes now: to `target`, or by `distance` from
    // its actual position (both the short way round the counter). A tool's
    // move switches position mode on first, so the plan is in position mode,
    // on the ramp the device holds (a ramp switched off still jumps).
    static Plan planMoveTo(SimulatedDevice& device, quint8 motor, qint32 target);
    static Plan planMoveBy(SimulatedDevice& device, quint8 motor, qint64 distance);

    // A position brought into the 32-bit frame [-2^31, 2^31).
    static double wrapped(double position);

private:
    // Puts the phases into the device's 32-bit frame and takes the peak velocity.
    static void finished(Plan& plan);
};
