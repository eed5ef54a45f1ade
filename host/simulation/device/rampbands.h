// SPDX-License-Identifier: MIT
#pragma once

#include "rampgenerator.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The ramp as the device runs it, in three velocity bands: the first from 0
// up to V1, the second up to V2, the last up to VMAX. Each band has its
// acceleration and its deceleration (0: the band is crossed at once). A
// speed above VMAX (a VMAX lowered while moving) brakes with DMAX.
//
// The settings are brought into this shape once: negative values (and NaN)
// count as 0, velocity thresholds above VMAX as VMAX, V2 below V1 as V1, and
// the trapezoid keeps only AMAX, VMAX and DMAX. A ramp that is off, a motor
// not in position mode, the direct profile and an infinite VMAX jump to the
// target. A VMAX of 0 allows no speed at all: the motor stands (a moving one
// brakes to a standstill first) and does not reach its target.
//
// The ticked motion (RampGenerator) and the closed-form planner (MovePlanner)
// both read the ramp from here; each runs its own algorithm on it.
class RampBands
{
public:
    static constexpr int Count = 3;

    // How far apart two computations of the same distance (positions) may
    // come out by floating-point rounding alone: a floor in positions plus a
    // share of the distance (some 45 units in the last place). Whether a
    // motion is on its braking curve is decided to this much, by the ramp
    // generator and by the planner alike.
    static constexpr double SlackFloorPositions = 1e-9;
    static constexpr double SlackPerPosition = 1e-14;
    static double roundingSlack(double distance)
    {
        return SlackFloorPositions + SlackPerPosition * (distance < 0 ? -distance : distance);
    }

    // A motion that comes to a stop this close to its target (positions)
    // stops on it: far below what the counter shows, and above what the
    // braking distance of a speed of many millions a second is off by
    // rounding (its squares cancel).
    static constexpr double StopOnTargetPositions = 1e-6;

    explicit RampBands(const RampGenerator::Settings& settings);

    // The motion goes straight to the target.
    bool jumps() const { return m_jumps; }
    // No speed is allowed (VMAX 0): the motion comes to a standstill and stays.
    bool stands() const { return !m_jumps && m_vMax <= 0; }
    // Velocities in positions per second, rates in positions per second squared.
    double vStart() const { return m_vStart; }
    double vStop() const { return m_vStop; }
    double vMax() const { return m_vMax; }
    double top(int band) const { return m_top[band]; }
    double bottom(int band) const { return band == 0 ? 0 : m_top[band - 1]; }
    double acceleration(int band) const { return m_acceleration[band]; }
    double deceleration(int band) const { return m_deceleration[band]; }

    // Accelerating, a speed at a band's top is in the band above; braking, in
    // the band below.
    int accelerationBand(double speed) const { return speed < m_top[0] ? 0 : speed < m_top[1] ? 1 : 2; }
    int brakingBand(double speed) const { return speed > m_top[1] ? 2 : speed > m_top[0] ? 1 : 0; }

    // The distance the acceleration phases take from `from` up to `to` (at most VMAX).
    double accelerationDistance(double from, double to) const;
    // The distance the deceleration phases take from `speed` down to V_STOP.
    double brakingDistance(double speed) const;
    // The largest speed from which the deceleration phases stop at V_STOP
    // within `distance`.
    double brakingSpeed(double distance) const;

private:
    bool m_jumps = true;
    double m_vStart = 0;
    double m_vStop = 0;
    double m_vMax = 0;
    double m_top[Count] = {0, 0, 0}; // the last band ends at VMAX
    double m_acceleration[Count] = {0, 0, 0};
    double m_deceleration[Count] = {0, 0, 0};
};

// Inline: the ticked motion asks for the braking curve dozens of times a tick.
inline double RampBands::accelerationDistance(double from, double to) const
{
    double distance = 0;
    for (int band = 0; band < Count; ++band) {
        const double low = std::max(from, bottom(band));
        const double high = std::min(to, m_top[band]);
        if (high > low && m_acceleration[band] > 0)
            distance += (high * high - low * low) / (2 * m_acceleration[band]);
    }
    return distance;
}

inline double RampBands::brakingDistance(double speed) const
{
    double distance = 0;
    for (int band = 0; band < Count; ++band) {
        const double low = std::max(m_vStop, bottom(band));
        const double high = band == Count - 1 ? speed : std::min(speed, m_top[band]);
        if (high > low && m_deceleration[band] > 0)
            distance += (high * high - low * low) / (2 * m_deceleration[band]);
    }
    return distance;
}

inline double RampBands::brakingSpeed(double distance) const
{
    constexpr double infinite = std::numeric_limits<double>::infinity();
    // Up from V_STOP band by band, each taking its width of the distance.
    double rest = distance;
    double low = m_vStop;
    for (int band = 0; band < Count; ++band) {
        const bool last = band == Count - 1;
        // clang-tidy 14 takes the infinite double for a narrowing to double.
        // NOLINTNEXTLINE(bugprone-narrowing-conversions)
        const double high = last ? infinite : std::max(low, m_top[band]);
        if (high <= low)
            continue;
        const double d = m_deceleration[band];
        if (d <= 0) { // crossed at no distance
            if (last)
                return infinite;
            low = high;
            continue;
        }
        const double width = last ? infinite : (high * high - low * low) / (2 * d);
        if (rest <= width)
            return std::sqrt(low * low + 2 * d * rest);
        rest -= width;
        low = high;
    }
    return low;
}
