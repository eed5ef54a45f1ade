// SPDX-License-Identifier: MIT
#include "session.h"

#include "core/toolsinterface.h"
#include "device/journal.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "virtualtimers.h"

#include <QCoreApplication>

#include <algorithm>

Session::Session(ProductCatalog catalog, QObject* parent)
    : QObject(parent)
    , m_host(std::move(catalog))
{
    connect(&m_host, &PluginHost::moduleChanged, this, &Session::moduleChanged);
    connect(&m_host, &PluginHost::toolOpened, this,
            [this](ToolsInterface* tool) { m_samples.addMotor(tool->motorNumber()); });
    connect(&m_host, &PluginHost::toolClosing, this,
            [this](ToolsInterface* tool) { m_samples.removeMotor(tool->motorNumber()); });
    connect(&m_clock, &DeviceClock::elapsed, this, [this](int ms) {
        advance(ms);
        m_clock.setResting(m_samples.stillAtLastInstant());
    });
    connect(&m_clock, &DeviceClock::refreshDue, this, &Session::clockRefresh);
}

Session::~Session()
{
    m_clock.stop();
    m_host.closeAllTools();
}

SimulatedModule* Session::module() const
{
    return m_host.module();
}

void Session::setRealTime(bool on)
{
    m_realTime = on;
    if (on)
        m_clock.start();
    else
        m_clock.stop();
}

void Session::setVirtualTimers(VirtualTimers* timers)
{
    m_timers = timers;
}

qint64 Session::timeMs() const
{
    SimulatedModule* module = m_host.module();
    return module ? module->device()->timeMs() : 0;
}

void Session::moduleChanged(SimulatedModule* module)
{
    SimulatedDevice* device = module ? module->device() : nullptr;
    m_samples.setDevice(device);
    m_plans.setDevice(device);
    m_designs.setDevice(device);
    m_journal.setJournal(module ? module->journal() : nullptr);
    // A value written (a target, a ramp setting) may set a motor moving: the clock wakes up.
    if (device) {
        connect(device, &SimulatedDevice::valueWritten, this, [this] { m_clock.setResting(false); });
        connect(device, &SimulatedDevice::moveStarted, this, [this] { m_clock.setResting(false); });
    }
}

void Session::advance(qint64 ms)
{
    if (!m_host.module() || ms <= 0)
        return;
    // The samples keep only the last stretch of device time: what comes
    // before it goes in one step, whose cost does not grow with its length.
    qint64 left = ms;
    if (left > SampleStore::WindowMs) {
        moveDevice(left - SampleStore::WindowMs);
        m_samples.sample();
        left = SampleStore::WindowMs;
    }
    for (; left > 0 && m_host.module(); left -= SimulatedDevice::StepMs) {
        moveDevice(qMin<qint64>(left, SimulatedDevice::StepMs));
        m_samples.sample();
    }
}

void Session::moveDevice(qint64 ms)
{
    if (!m_host.module())
        return;
    QPointer<SimulatedDevice> device = m_host.module()->device();
    if (!m_timers) {
        device->advance(int(ms));
        return;
    }
    // The device moves to each time a timer is due, and the timer fires there
    // (a timer may even take the module away: time stops for it then).
    qint64 left = ms;
    m_timers->fireDue();
    while (left > 0 && device) {
        const qint64 until = m_timers->untilNextDue();
        const qint64 step = until < 0 ? left : std::min(left, std::max<qint64>(1, until));
        device->advance(int(step));
        m_timers->moveOn(step);
        left -= step;
        m_timers->fireDue();
    }
}

void Session::refresh()
{
    SimulatedModule* module = m_host.module();
    if (!module)
        return;
    module->refreshTraces();
    m_host.deliverReplies();
}

void Session::runEventLoopOnce()
{
    // Qt's list of posted events is emptied only by delivering all of it, so
    // that it never grows with a long script.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (m_timers && m_timers->fireDue())
        QCoreApplication::sendPostedEvents();
}

void Session::clockRefresh()
{
    SimulatedModule* module = m_host.module();
    if (!module)
        return;
    // Nothing to refresh while no tool traces anything.
    const QList<ToolsInterface*> tools = module->tools();
    if (std::none_of(tools.begin(), tools.end(), [](const ToolsInterface* tool) { return tool->traceCount() > 0; }))
        return;
    refresh();
    emit refreshed();
}
