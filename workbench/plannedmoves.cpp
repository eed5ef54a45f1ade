#include "plannedmoves.h"

#include "device/simulateddevice.h"

PlannedMoves::PlannedMoves(QObject* parent)
    : QObject(parent)
{
}

void PlannedMoves::setDevice(SimulatedDevice* device)
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = device;
    m_pending.clear();
    if (!device)
        return;
    connect(device, &SimulatedDevice::moveStarted, this, &PlannedMoves::moveStarted);
    connect(device, &SimulatedDevice::moveArrived, this, &PlannedMoves::moveArrived);
}

void PlannedMoves::moveStarted(quint8 motor, qint64 timeMs)
{
    const RampGenerator::Settings settings = m_device->motionSettings(motor);
    if (!settings.positionMode) {
        m_pending.remove(motor);
        return;
    }
    const qint32 target = qint32(quint32(quint64(m_device->motionValue(motor, QStringLiteral("target"), 0))));
    const MovePlanner::Plan plan = MovePlanner::plan(settings, m_device->currentMotion(motor), target);
    m_pending.insert(motor, Pending{timeMs, plan.arrival});
    emit planned(motor, timeMs / 1000.0, plan);
}

void PlannedMoves::moveArrived(quint8 motor, qint64 timeMs)
{
    const auto pending = m_pending.constFind(motor);
    if (pending == m_pending.constEnd())
        return;
    const Pending move = pending.value();
    m_pending.erase(pending);
    emit arrived(motor, (timeMs - move.startMs) / 1000.0, move.plannedSeconds);
}
