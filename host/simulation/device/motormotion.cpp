// SPDX-License-Identifier: MIT
#include "motormotion.h"

#include <cmath>

namespace {
bool sameRamp(const RampGenerator::Settings& a, const RampGenerator::Settings& b)
{
    return a.profile == b.profile && a.positionMode == b.positionMode && a.rampEnabled == b.rampEnabled
           && a.vStart == b.vStart && a.a1 == b.a1 && a.v1 == b.v1 && a.a2 == b.a2 && a.v2 == b.v2 && a.aMax == b.aMax
           && a.vMax == b.vMax && a.dMax == b.dMax && a.d2 == b.d2 && a.d1 == b.d1 && a.vStop == b.vStop;
}

qint32 movedOn(qint32 counter, qint64 positions)
{
    return qint32(quint32(counter) + quint32(quint64(positions))); // 32-bit wrap in unsigned arithmetic
}
} // namespace

void MotorMotion::settle(qint32 counter, qint32 target)
{
    m_lastTarget = target;
    m_counter = counter;
    m_state.position = counter;
    m_base = counter;
    m_relative = 0;
}

bool MotorMotion::observe(qint32 counter, qint32 target)
{
    if (counter != m_counter) {
        m_counter = counter;
        m_fraction = 0;
        m_base = counter;
        m_relative = 0;
        m_cruise = Cruise();
    }
    bool started = false;
    if (target != m_lastTarget) {
        m_lastTarget = target;
        m_moving = true;
        started = true;
    }
    if (!m_moving)
        m_state.position = counter; // at rest on its counter: no fraction is left over
    return started;
}

void MotorMotion::command(qint32 target)
{
    m_lastTarget = target;
    m_moving = true;
}

RampGenerator::State MotorMotion::startingAt(qint32 counter) const
{
    // A counter written from outside puts the motor where it says.
    const double fraction = counter == m_counter ? m_fraction : 0;
    return RampGenerator::State{double(counter) + fraction, m_state.velocity};
}

std::optional<qint64> MotorMotion::run(const RampGenerator::Settings& settings, qint32 target, qint64 fromMs,
                                       int milliseconds)
{
    if (m_cruise.on && (m_cruise.target != target || !sameRamp(m_cruise.settings, settings)))
        m_cruise = Cruise(); // a new target or ramp: the cruise planned for the old one ends
    RampGenerator::State relative{m_relative, m_state.velocity};
    const qint64 end = fromMs + milliseconds;
    qint64 time = fromMs;
    bool arrived = false;
    while (time < end && !arrived) {
        if (time % StepMs == 0) {
            const qint64 crossed = crossCruise(settings, target, relative, (end - time) / StepMs);
            if (crossed > 0) {
                time += crossed * StepMs;
                continue;
            }
        }
        const qint64 boundary = (time / StepMs + 1) * StepMs;
        const qint64 until = qMin(end, boundary);
        long long ticks = 0;
        arrived = RampGenerator::step(settings, distanceTo(target), relative, double(until - time) / 1000.0, &ticks);
        if (arrived) {
            // On the target exactly: the counter is the target.
            m_base = target;
            relative.position = 0;
            m_cruise = Cruise();
            time += ticks; // the end of the tick it arrived in
        } else {
            if (until == boundary)
                crossBoundary(relative);
            time = until;
        }
    }
    m_moving = !arrived;
    show(relative, arrived || time % StepMs == 0);
    return arrived ? std::optional<qint64>(time) : std::nullopt;
}

double MotorMotion::distanceTo(qint32 target) const
{
    return double(qint32(quint32(target) - quint32(m_base)));
}

qint64 MotorMotion::crossCruise(const RampGenerator::Settings& settings, qint32 target, RampGenerator::State& relative,
                                qint64 available)
{
    if (m_cruise.on && m_cruise.done == m_cruise.steps)
        m_cruise.on = false;
    if (!m_cruise.on && !anchorCruise(settings, target, relative))
        return 0;
    const qint64 steps = qMin(m_cruise.steps - m_cruise.done, available);
    if (steps <= 0)
        return 0;
    m_cruise.done += steps;
    placeOnCruise(relative);
    return steps;
}

bool MotorMotion::anchorCruise(const RampGenerator::Settings& settings, qint32 target,
                               const RampGenerator::State& relative)
{
    const double distance = distanceTo(target);
    const qint64 steps = RampGenerator::cruiseTicks(settings, distance, relative) / StepMs - 1;
    if (steps < 2) {
        m_cruise.unsettled = false;
        return false;
    }
    // A step of whole positions that leaves the fraction as it was is the
    // same step over and over (the built-in ramps, from their second step of
    // cruise on). Otherwise the step runs ticked once, and from the next
    // boundary on the cruise runs what VMAX travels in a step.
    RampGenerator::State once = relative;
    RampGenerator::step(settings, distance, once, StepMs / 1000.0);
    const qint64 whole = std::llround(once.position);
    const bool same = once.position - double(whole) == relative.position && once.velocity == relative.velocity;
    if (same) {
        m_cruise.whole = whole;
        m_cruise.fraction = 0;
    } else if (m_cruise.unsettled) {
        const double travel = relative.velocity * StepMs / 1000.0;
        m_cruise.whole = std::llround(travel);
        m_cruise.fraction = travel - double(m_cruise.whole);
    } else {
        m_cruise.unsettled = true;
        return false;
    }
    m_cruise.on = true;
    m_cruise.unsettled = false;
    m_cruise.base = m_base;
    m_cruise.relative = relative.position;
    m_cruise.steps = steps;
    m_cruise.done = 0;
    m_cruise.target = target;
    m_cruise.settings = settings;
    return true;
}

void MotorMotion::placeOnCruise(RampGenerator::State& relative)
{
    // A whole number of positions a step leaves the fraction exactly where it was.
    const double run = m_cruise.relative + double(m_cruise.done) * m_cruise.fraction;
    const qint64 carried = m_cruise.fraction == 0 ? 0 : std::llround(run);
    m_base = movedOn(movedOn(m_cruise.base, carried), qint64(quint64(m_cruise.done) * quint64(m_cruise.whole)));
    relative.position = run - double(carried);
}

void MotorMotion::crossBoundary(RampGenerator::State& relative)
{
    if (m_cruise.on) {
        // The step began a time cut short ago runs to where the cruise puts it.
        ++m_cruise.done;
        placeOnCruise(relative);
        return;
    }
    const qint64 whole = std::llround(relative.position);
    m_base = movedOn(m_base, whole);
    relative.position -= double(whole);
}

void MotorMotion::show(const RampGenerator::State& relative, bool atBoundary)
{
    m_relative = relative.position;
    const qint64 whole = atBoundary ? 0 : std::llround(relative.position);
    m_counter = movedOn(m_base, whole);
    m_fraction = relative.position - double(whole);
    m_state.position = double(m_counter) + m_fraction;
    m_state.velocity = relative.velocity;
}
