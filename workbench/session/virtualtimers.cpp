// SPDX-License-Identifier: MIT
#include "virtualtimers.h"

#include <QCoreApplication>
#include <QTimerEvent>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <vector>

VirtualTimers::VirtualTimers(QObject* parent)
    : QAbstractEventDispatcher(parent)
{
}

VirtualTimers::~VirtualTimers() = default;

qint64 VirtualTimers::untilNextDue() const
{
    qint64 next = -1;
    for (const Timer& timer : m_timers) {
        if (timer.firedMs == m_nowMs && timer.dueMs <= m_nowMs)
            continue;
        const qint64 until = qMax<qint64>(0, timer.dueMs - m_nowMs);
        if (next < 0 || until < next)
            next = until;
    }
    return next;
}

void VirtualTimers::moveOn(qint64 ms)
{
    m_nowMs += qMax<qint64>(0, ms);
}

bool VirtualTimers::fireDue()
{
    struct Due
    {
        int id;
        qint64 dueMs;
        quint64 order;
    };
    std::vector<Due> due;
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it->dueMs <= m_nowMs && it->firedMs != m_nowMs)
            due.push_back({it.key(), it->dueMs, it->order});
    }
    std::sort(due.begin(), due.end(),
              [](const Due& a, const Due& b) { return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.order < b.order; });
    for (const Due& next : due) {
        // A timer fired before may have stopped or restarted this one.
        const auto timer = m_timers.find(next.id);
        if (timer == m_timers.end() || timer->dueMs > m_nowMs || timer->order != next.order)
            continue;
        timer->dueMs = m_nowMs + timer->interval;
        timer->firedMs = m_nowMs;
        timer->order = ++m_started;
        QObject* object = timer->object;
        QTimerEvent event(next.id);
        QCoreApplication::sendEvent(object, &event);
    }
    return !due.empty();
}

bool VirtualTimers::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    emit awake();
    QCoreApplication::sendPostedEvents();
    const bool windowSystem = QWindowSystemInterface::sendWindowSystemEvents(flags);
    const bool fired = !(flags & QEventLoop::X11ExcludeTimers) && fireDue();
    return windowSystem || fired;
}

bool VirtualTimers::hasPendingEvents()
{
    return false;
}

// A scripted run watches no sockets: notifiers are taken and never fire.
void VirtualTimers::registerSocketNotifier(QSocketNotifier*)
{
}

void VirtualTimers::unregisterSocketNotifier(QSocketNotifier*)
{
}

void VirtualTimers::registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject* object)
{
    Timer timer;
    timer.object = object;
    timer.interval = qMax(0, interval);
    timer.type = timerType;
    timer.dueMs = m_nowMs + timer.interval;
    timer.order = ++m_started;
    m_timers.insert(timerId, timer);
}

bool VirtualTimers::unregisterTimer(int timerId)
{
    return m_timers.remove(timerId) > 0;
}

bool VirtualTimers::unregisterTimers(QObject* object)
{
    bool removed = false;
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->object == object) {
            it = m_timers.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

QList<QAbstractEventDispatcher::TimerInfo> VirtualTimers::registeredTimers(QObject* object) const
{
    QList<TimerInfo> timers;
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it->object == object)
            timers.append(TimerInfo(it.key(), it->interval, it->type));
    }
    return timers;
}

int VirtualTimers::remainingTime(int timerId)
{
    const auto timer = m_timers.constFind(timerId);
    return timer == m_timers.constEnd() ? -1 : int(qMax<qint64>(0, timer->dueMs - m_nowMs));
}

// Nothing ever blocks, so nothing needs waking.
void VirtualTimers::wakeUp()
{
}

void VirtualTimers::interrupt()
{
}

void VirtualTimers::flush()
{
}
