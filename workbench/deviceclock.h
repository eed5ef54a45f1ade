#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class SimulatedDevice;

// Lets the simulated device's time follow real time while it runs.
class DeviceClock : public QObject
{
    Q_OBJECT

public:
    explicit DeviceClock(QObject* parent = nullptr);

    void setDevice(SimulatedDevice* device);
    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

private:
    void tick();

    QPointer<SimulatedDevice> m_device;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    qint64 m_advancedMs = 0; // real time already handed to the device
};
