// SPDX-License-Identifier: MIT
#include "deviceclock.h"

#include "device/simulateddevice.h"

namespace {
// The most device time one tick lets pass, after the machine slept.
constexpr qint64 kLongestTickMs = 60000;
} // namespace

DeviceClock::DeviceClock(QObject* parent)
    : QObject(parent)
{
    m_timer.setParent(this);
    m_timer.setObjectName(QStringLiteral("deviceClockTick"));
    m_timer.setInterval(SimulatedDevice::StepMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DeviceClock::tick);
    m_traceTimer.setParent(this);
    m_traceTimer.setObjectName(QStringLiteral("deviceClockTrace"));
    m_traceTimer.setInterval(TraceIntervalMs);
    connect(&m_traceTimer, &QTimer::timeout, this, &DeviceClock::refreshDue);
}

void DeviceClock::start()
{
    if (m_timer.isActive())
        return;
    m_elapsed.start();
    m_told = 0;
    m_timer.start();
    m_traceTimer.start();
}

void DeviceClock::stop()
{
    m_timer.stop();
    m_traceTimer.stop();
}

void DeviceClock::setResting(bool resting)
{
    if (resting == m_resting)
        return;
    m_resting = resting;
    m_timer.setInterval(resting ? RestingTickMs : SimulatedDevice::StepMs);
    m_traceTimer.setInterval(resting ? RestingTraceIntervalMs : TraceIntervalMs);
    // Waking up, the next tick comes a step from now (never from within the
    // call: a move may start while the device is being advanced), and tells
    // all the time since the last one.
    if (!resting && m_timer.isActive())
        m_timer.start();
}

void DeviceClock::tick()
{
    // Whole milliseconds of real time since the last tick, however late it came.
    const qint64 now = m_elapsed.elapsed();
    const qint64 due = now - m_told;
    m_told = now;
    if (due > 0)
        emit elapsed(int(qMin(due, kLongestTickMs)));
}
