#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class SimulatedModule;

// Lets the simulated device's time follow real time while it runs, and
// refreshes the module's traces on the host's trace interval. Both go through
// advance() and refresh(), which report what they did, so that a recording
// sees the same time and the same refreshes as the window.
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
    void advanced(int ms);
    void refreshed();

private:
    void tick();

    QPointer<SimulatedModule> m_module;
    QTimer m_timer;
    QTimer m_traceTimer;
    QElapsedTimer m_elapsed;
    qint64 m_advancedMs = 0; // real time already handed to the device
};
