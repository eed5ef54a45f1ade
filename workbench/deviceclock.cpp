#include "deviceclock.h"

#include "device/simulateddevice.h"

namespace {
constexpr int kTickMs = 20;
// The most device time one tick advances, after the machine slept.
constexpr qint64 kLongestTickMs = 60000;
} // namespace

DeviceClock::DeviceClock(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DeviceClock::tick);
}

void DeviceClock::setDevice(SimulatedDevice* device)
{
    m_device = device;
}

void DeviceClock::start()
{
    if (m_timer.isActive())
        return;
    m_elapsed.start();
    m_advancedMs = 0;
    m_timer.start();
}

void DeviceClock::stop()
{
    m_timer.stop();
}

void DeviceClock::tick()
{
    // Whole milliseconds of real time since the last tick, however late it came.
    const qint64 now = m_elapsed.elapsed();
    const qint64 due = now - m_advancedMs;
    m_advancedMs = now;
    if (m_device && due > 0)
        m_device->advance(int(qMin(due, kLongestTickMs)));
}
