// SPDX-License-Identifier: MIT
#pragma once

#include "virtualtimers.h"

#include <QAbstractEventDispatcher>
#include <QPointer>
#include <QVector>

#include <functional>

// The event dispatcher of the window: the timers of a tool (of any object
// inside one) run on device time, as they do in a scripted run, and
// everything else on the platform's own dispatcher in real time. A tool's
// timer so fires at the device time it would fire at when a recording of the
// session is replayed, whatever the wall clock did between two ticks of the
// device. Installed before the application object is made; the platform's
// dispatcher joins once the application has its platform (attachPlatform()).
class ToolClock : public QAbstractEventDispatcher
{
    Q_OBJECT

public:
    // `onDeviceTime` tells whether an object's timers run on device time.
    explicit ToolClock(std::function<bool(const QObject*)> onDeviceTime, QObject* parent = nullptr);
    ~ToolClock() override;

    // Takes the dispatcher the application's platform makes (once the
    // application object is there) and hands it what was registered before.
    void attachPlatform();
    // The timers on device time: the session moves them on as device time passes.
    VirtualTimers* deviceTimers() { return &m_device; }

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    bool hasPendingEvents() override;
    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;
    void registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;
    void wakeUp() override;
    void interrupt() override;
    void flush() override;
    void startingUp() override;
    void closingDown() override;

private:
    struct Early
    {
        int id;
        int interval;
        Qt::TimerType type;
        QPointer<QObject> object;
    };

    std::function<bool(const QObject*)> m_onDeviceTime;
    VirtualTimers m_device;
    QAbstractEventDispatcher* m_platform = nullptr;
    // What was registered before the platform's dispatcher came.
    QVector<Early> m_earlyTimers;
    QVector<QPointer<QSocketNotifier>> m_earlyNotifiers;
};
