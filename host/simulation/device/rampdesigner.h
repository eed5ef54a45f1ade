// SPDX-License-Identifier: MIT
#pragma once

#include "moveplanner.h"
#include "rampgenerator.h"

#include <QString>
#include <QStringList>
#include <QVector>

struct MotionWiring;
class ProductDescription;
class SimulatedDevice;

// Answers "this move must take T seconds: what do I set?". From a product's
// ramp as a motor's device holds it, a distance and a wanted duration, it
// proposes whole setting values within the product's ranges whose planned
// move (from standstill) takes that long, to within ToleranceSeconds:
//
// - Scaled (every ramp kind): the ramp keeps its shape and runs k times
//   faster: every velocity setting times k, every acceleration times k².
// - Gentlest (trapezoid): the lowest acceleration and deceleration that make
//   the duration, a triangle whose peak velocity is 2·D/T.
// - Fastest: the move as fast as a motor's maximum velocity and acceleration
//   allow; its duration is what it takes.
//
// Rounding to whole values changes the duration a little, so the designer
// plans again and corrects until the plan is within the tolerance. When no
// values within the ranges make the duration, the proposal says which
// setting's limit binds and the shortest (or longest) duration to be had,
// with that setting at its limit.
class RampDesigner
{
public:
    static constexpr double ToleranceSeconds = 0.001;

    enum class Kind { Velocity, Acceleration };
    enum class Rule { Scaled, Gentlest, Fastest };

    // One value of the ramp as the product holds it: a register, field or
    // parameter role, in the product's units, with the ramp roles it sets
    // (one acceleration limit may set acceleration and deceleration both).
    struct Setting
    {
        QString name;
        QStringList roles; // "vMax", "aMax", ...
        Kind kind = Kind::Velocity;
        qint64 minimum = 0; // what the product's description allows
        qint64 maximum = 0;
        qint64 now = 0;
        qint64 proposed = 0;
    };

    // A motor's ramp: its kind, the product's scales and the settings in the
    // order the ramp uses them.
    struct Ramp
    {
        RampGenerator::Profile profile = RampGenerator::Profile::Direct;
        double velocityScale = 1;     // positions per second for one unit
        double accelerationScale = 1; // positions per second squared for one unit
        QVector<Setting> settings;
    };

    struct Proposal
    {
        Rule rule = Rule::Scaled;
        qint32 distance = 0;
        double wanted = 0; // seconds; for Fastest the duration it takes
        // Why the goal cannot be designed at all; when set, nothing else holds.
        QString error;
        bool feasible = false;
        // Not feasible: the setting whose limit binds, and the shortest
        // (tooFast) or longest duration to be had, which `plan` is.
        QString limit;
        double limitSeconds = 0;
        bool tooFast = false;
        // Every setting, now and proposed (at the limit when not feasible).
        QVector<Setting> settings;
        MovePlanner::Plan plan;    // the proposed move, from standstill
        MovePlanner::Plan current; // the same move on the settings now

        // The settings whose proposed value differs from the one now.
        QVector<Setting> changed() const;
    };

    // The ramp of `motor` as its device holds it now.
    static Ramp ramp(SimulatedDevice& device, quint8 motor);
    static Ramp ramp(const ProductDescription& product, const MotionWiring& wiring, const RampGenerator::Settings& now);

    static Proposal design(const Ramp& ramp, qint64 distance, double seconds, Rule rule = Rule::Scaled);
    // The fastest move within a maximum velocity (positions/s) and acceleration (positions/s²).
    static Proposal fastest(const Ramp& ramp, qint64 distance, double maxVelocity, double maxAcceleration);

    // What the ramp generator runs on with `values` (one per setting), in position mode with the ramp on.
    static RampGenerator::Settings settings(const Ramp& ramp, const QVector<qint64>& values);
    // The move by `distance` from standstill on `values`.
    static MovePlanner::Plan plan(const Ramp& ramp, const QVector<qint64>& values, qint32 distance);
};
