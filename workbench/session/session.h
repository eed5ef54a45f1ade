// SPDX-License-Identifier: MIT
#pragma once

#include "deviceclock.h"
#include "journalmodel.h"
#include "moveplans.h"
#include "pluginhost.h"
#include "productcatalog.h"
#include "rampdesigns.h"
#include "samplestore.h"

#include <QObject>
#include <QPointer>

class SimulatedModule;
class ToolsInterface;
class VirtualTimers;

// What the workbench holds while a person or a script works with a product:
// the host with the product's module and its open tools, the device's time,
// the samples of the motion, the plans of moves, the ramp designs and the
// journal. The window draws it and turns a person's input into calls on it; a script runs the
// same session headless, so that a recorded session replays to the same
// journal and values.
//
// Device time passes only through advance(): in the window a wall clock calls
// it as real time passes (setRealTime), in a script the `advance` command.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(ProductCatalog catalog, QObject* parent = nullptr);
    ~Session() override;

    PluginHost& host() { return m_host; }
    const PluginHost& host() const { return m_host; }
    SampleStore& samples() { return m_samples; }
    MovePlans& plans() { return m_plans; }
    RampDesigns& designs() { return m_designs; }
    JournalModel& journal() { return m_journal; }
    const DeviceClock& clock() const { return m_clock; }
    SimulatedModule* module() const;

    // Device time follows the wall clock and the traces refresh every
    // DeviceClock::TraceIntervalMs; off, time passes only through advance().
    void setRealTime(bool on);
    bool isRealTime() const { return m_realTime; }
    // The timers of the process run on virtual time (a scripted run): they
    // fire as advance() passes their due time.
    void setVirtualTimers(VirtualTimers* timers);

    // Lets `ms` of device time pass: the device moves, the samples follow at
    // every step of the last SampleStore::WindowMs (the time before that goes
    // at once), and the timers due on the way fire at their time.
    void advance(qint64 ms);
    // One trace refresh of every tool of the module, then the replies it made
    // are delivered, as the host's event loop would.
    void refresh();
    // The wall clock's trace refresh: refresh() while some tool traces
    // something, and refreshed() said.
    void clockRefresh();
    qint64 timeMs() const;
    // The event loop's work at this instant, as between two actions in the
    // window: posted events and deferred deletions delivered, the timers due
    // now fired. The replies wait in the module (refresh() delivers them).
    void runEventLoopOnce();

signals:
    // The wall clock refreshed the traces (while some tool traces something).
    void refreshed();

private:
    void moduleChanged(SimulatedModule* module);
    void moveDevice(qint64 ms);

    PluginHost m_host;
    SampleStore m_samples;
    MovePlans m_plans;
    RampDesigns m_designs;
    JournalModel m_journal;
    DeviceClock m_clock;
    QPointer<VirtualTimers> m_timers;
    bool m_realTime = false;
};
