#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class SimulatedModule;

// Lets the simulated device's time follow real time while it runs, and
// refreshes the module's traces on the host's trace interval. Tests step it
// through advance() and refresh(), the calls its timers make; each refresh is
// reported, so that a recording has the window's refreshes.
class DeviceClock : public QObject
{
    Q_OBJECT

public:
    static constexpr int TraceIntervalMs = 100;

    explicit DeviceClock(QObject* parent = nullptr);

    void setModule(SimulatedModule* module);
    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    // Advances the device by `ms` of device time.
    void advance(int ms);
    // One trace refresh of every tool of the module, then the replies it
    // produced are delivered, as a script's `refresh` does. Nothing happens
    // while no tool traces anything.
    void refresh();

signals:
    void refreshed();

private:
    void tick();

    QPointer<SimulatedModule> m_module;
    QTimer m_timer;
    QTimer m_traceTimer;
    QElapsedTimer m_elapsed;
    qint64 m_advancedMs = 0; // real time already handed to the device
};
