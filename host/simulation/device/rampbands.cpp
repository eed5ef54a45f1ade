// SPDX-License-Identifier: MIT
#include "rampbands.h"

#include <algorithm>
#include <cmath>

namespace {
double nonNegative(double value)
{
    return value > 0 ? value : 0; // also turns NaN into 0
}
} // namespace

RampBands::RampBands(const RampGenerator::Settings& settings)
{
    m_vMax = nonNegative(settings.vMax);
    m_jumps = settings.profile == RampGenerator::Profile::Direct || !settings.rampEnabled || !settings.positionMode
              || std::isinf(m_vMax);
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
