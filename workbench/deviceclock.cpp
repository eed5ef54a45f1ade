#include "deviceclock.h"

#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"

#include <algorithm>

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
    m_traceTimer.setInterval(TraceIntervalMs);
    connect(&m_traceTimer, &QTimer::timeout, this, &DeviceClock::refresh);
}

void DeviceClock::setModule(SimulatedModule* module)
{
    m_module = module;
}

void DeviceClock::start()
{
    if (m_timer.isActive())
        return;
    m_elapsed.start();
    m_advancedMs = 0;
    m_timer.start();
    m_traceTimer.start();
}

void DeviceClock::stop()
{
    m_timer.stop();
    m_traceTimer.stop();
}

void DeviceClock::advance(int ms)
{
    if (!m_module || ms <= 0)
        return;
    m_module->device()->advance(ms);
}

void DeviceClock::refresh()
{
    if (!m_module)
        return;
    const QList<ToolsInterface*> tools = m_module->tools();
    const bool traced = std::any_of(tools.begin(), tools.end(),
                                    [](const ToolsInterface* tool) { return tool->traceCount() > 0; });
    if (!traced)
        return;
    m_module->refreshTraces();
    m_module->deliverReplies();
    emit refreshed();
}

void DeviceClock::tick()
{
    // Whole milliseconds of real time since the last tick, however late it came.
    const qint64 now = m_elapsed.elapsed();
    const qint64 due = now - m_advancedMs;
    m_advancedMs = now;
    advance(int(qMin(due, kLongestTickMs)));
}
