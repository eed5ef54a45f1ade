// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The wall clock of the window: while it runs, it tells every StepMs how much
// real time passed, so that the session lets as much device time pass, and
// every TraceIntervalMs that the host's traces are due for a refresh. While
// nothing moves it tells the time only every RestingTickMs: the device's
// motion is the same however its time is cut, and an idle window should cost
// next to nothing.
class DeviceClock : public QObject
{
    Q_OBJECT

public:
    static constexpr int TraceIntervalMs = 100;
    static constexpr int RestingTickMs = 100;
    // While nothing moves the traced values change only by a write, which
    // wakes the clock: they are refreshed less often.
    static constexpr int RestingTraceIntervalMs = 500;

    explicit DeviceClock(QObject* parent = nullptr);

    void start();
    void stop();
    // Ticks every RestingTickMs while `resting`, every device step otherwise.
    void setResting(bool resting);

signals:
    // `ms` of real time passed since the last time this was said.
    void elapsed(int ms);
    void refreshDue();

private:
    void tick();

    QTimer m_timer;
    QTimer m_traceTimer;
    QElapsedTimer m_elapsed;
    qint64 m_told = 0; // the real time already told, in ms
    bool m_resting = false;
};
