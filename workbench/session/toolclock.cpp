// SPDX-License-Identifier: MIT
#include "toolclock.h"

#include <QSocketNotifier>
#include <qpa/qplatformintegration.h>

#include <algorithm>

#include <private/qguiapplication_p.h>

ToolClock::ToolClock(std::function<bool(const QObject*)> onDeviceTime, QObject* parent)
    : QAbstractEventDispatcher(parent)
    , m_onDeviceTime(std::move(onDeviceTime))
{
}

ToolClock::~ToolClock()
{
    delete m_platform;
}

void ToolClock::attachPlatform()
{
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    QAbstractEventDispatcher* platform = !m_platform && integration ? integration->createEventDispatcher() : nullptr;
    if (!platform)
        return;
    m_platform = platform;
    connect(platform, &QAbstractEventDispatcher::aboutToBlock, this, &QAbstractEventDispatcher::aboutToBlock);
    connect(platform, &QAbstractEventDispatcher::awake, this, &QAbstractEventDispatcher::awake);
    platform->startingUp();
    for (const Early& timer : qAsConst(m_earlyTimers)) {
        if (timer.object)
            platform->registerTimer(timer.id, timer.interval, timer.type, timer.object);
    }
    m_earlyTimers.clear();
    for (const QPointer<QSocketNotifier>& notifier : qAsConst(m_earlyNotifiers)) {
        if (notifier)
            platform->registerSocketNotifier(notifier);
    }
    m_earlyNotifiers.clear();
}

bool ToolClock::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    return m_platform && m_platform->processEvents(flags);
}

bool ToolClock::hasPendingEvents()
{
    return m_platform && m_platform->hasPendingEvents();
}

void ToolClock::registerSocketNotifier(QSocketNotifier* notifier)
{
    if (m_platform)
        m_platform->registerSocketNotifier(notifier);
    else
        m_earlyNotifiers.append(notifier);
}

void ToolClock::unregisterSocketNotifier(QSocketNotifier* notifier)
{
    m_earlyNotifiers.removeAll(notifier);
    if (m_platform)
        m_platform->unregisterSocketNotifier(notifier);
}

void ToolClock::registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject* object)
{
    if (m_onDeviceTime && m_onDeviceTime(object))
        m_device.registerTimer(timerId, interval, timerType, object);
    else if (m_platform)
        m_platform->registerTimer(timerId, interval, timerType, object);
    else
        m_earlyTimers.append({timerId, interval, timerType, object});
}

bool ToolClock::unregisterTimer(int timerId)
{
    if (m_device.unregisterTimer(timerId))
        return true;
    for (int i = 0; i < m_earlyTimers.size(); ++i) {
        if (m_earlyTimers.at(i).id == timerId) {
            m_earlyTimers.remove(i);
            return true;
        }
    }
    return m_platform && m_platform->unregisterTimer(timerId);
}

bool ToolClock::unregisterTimers(QObject* object)
{
    bool removed = m_device.unregisterTimers(object);
    const int before = m_earlyTimers.size();
    m_earlyTimers.erase(std::remove_if(m_earlyTimers.begin(), m_earlyTimers.end(),
                                       [object](const Early& timer) { return timer.object == object; }),
                        m_earlyTimers.end());
    removed = removed || m_earlyTimers.size() != before;
    if (m_platform)
        removed = m_platform->unregisterTimers(object) || removed;
    return removed;
}

QList<QAbstractEventDispatcher::TimerInfo> ToolClock::registeredTimers(QObject* object) const
{
    QList<TimerInfo> timers = m_device.registeredTimers(object);
    if (m_platform)
        timers += m_platform->registeredTimers(object);
    return timers;
}

int ToolClock::remainingTime(int timerId)
{
    const int left = m_device.remainingTime(timerId);
    if (left >= 0 || !m_platform)
        return left;
    return m_platform->remainingTime(timerId);
}

void ToolClock::wakeUp()
{
    if (m_platform)
        m_platform->wakeUp();
}

void ToolClock::interrupt()
{
    if (m_platform)
        m_platform->interrupt();
}

void ToolClock::flush()
{
    if (m_platform)
        m_platform->flush();
}

void ToolClock::startingUp()
{
    if (m_platform)
        m_platform->startingUp();
}

void ToolClock::closingDown()
{
    if (m_platform)
        m_platform->closingDown();
}
