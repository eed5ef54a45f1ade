// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractEventDispatcher>
#include <QHash>
#include <QPointer>

// The event dispatcher of a scripted run: every timer of the process runs on
// virtual time, which moves only when the session lets device time pass, so
// that the timers a tool starts itself fire at the same device time on every
// run and machine. Posted events and the window system's events are delivered
// as by Qt's own dispatcher; nothing ever waits for real time. Installed
// before the application object is made.
class VirtualTimers : public QAbstractEventDispatcher
{
    Q_OBJECT

public:
    explicit VirtualTimers(QObject* parent = nullptr);
    ~VirtualTimers() override;

    // The virtual time now, in ms since the run started.
    qint64 nowMs() const { return m_nowMs; }
    // How long until the next timer is due, in ms from now: 0 when one is
    // due now, -1 when none is. A timer of no interval that fired now is not
    // due again before time moves on: it fires once at each stop of time.
    qint64 untilNextDue() const;
    // Moves virtual time on by `ms` without firing anything: the session
    // moves it to each due time in turn and fires the timers due there.
    void moveOn(qint64 ms);
    // Fires the timers due now, each once, in the order they are due (and,
    // for the same time, in the order they were started); true when one fired.
    bool fireDue();

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

private:
    struct Timer
    {
        QObject* object = nullptr;
        int interval = 0;
        Qt::TimerType type = Qt::CoarseTimer;
        qint64 dueMs = 0;
        qint64 firedMs = -1; // a timer fires at most once at one time
        quint64 order = 0;   // when it was (re)started, among timers due at once
    };

    QHash<int, Timer> m_timers; // by timer id
    qint64 m_nowMs = 0;
    quint64 m_started = 0;
};
