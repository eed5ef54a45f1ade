#include "rampbands.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kInfinite = std::numeric_limits<double>::infinity();

double nonNegative(double value)
{
    return value > 0 ? value : 0; // also turns NaN into 0
}
} // namespace

RampBands::RampBands(const RampGenerator::Settings& settings)
{
    m_vMax = nonNegative(settings.vMax);
    m_jumps = settings.profile == RampGenerator::Profile::Direct || !settings.rampEnabled || !settings.positionMode
              || m_vMax <= 0 || std::isinf(m_vMax);
    if (m_jumps)
        return;
    const bool eightPoint = settings.profile == RampGenerator::Profile::EightPoint;
    const auto threshold = [&](double value) { return eightPoint ? std::min(nonNegative(value), m_vMax) : 0.0; };
    const auto rate = [&](double value) { return eightPoint ? nonNegative(value) : 0.0; };
    m_vStart = threshold(settings.vStart);
    m_vStop = threshold(settings.vStop);
    m_top[0] = threshold(settings.v1);
    m_top[1] = std::max(threshold(settings.v2), m_top[0]);
    m_top[2] = m_vMax;
    m_acceleration[0] = rate(settings.a1);
    m_acceleration[1] = rate(settings.a2);
    m_acceleration[2] = nonNegative(settings.aMax);
    m_deceleration[0] = rate(settings.d1);
    m_deceleration[1] = rate(settings.d2);
    m_deceleration[2] = nonNegative(settings.dMax);
}

double RampBands::accelerationDistance(double from, double to) const
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

double RampBands::brakingDistance(double speed) const
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

double RampBands::brakingSpeed(double distance) const
{
    // Up from V_STOP band by band, each taking its width of the distance.
    double rest = distance;
    double low = m_vStop;
    for (int band = 0; band < Count; ++band) {
        const bool last = band == Count - 1;
        const double high = last ? kInfinite : std::max(low, m_top[band]);
        if (high <= low)
            continue;
        const double d = m_deceleration[band];
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
