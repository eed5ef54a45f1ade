// SPDX-License-Identifier: MIT
#include "moveplans.h"

#include "device/decimaltext.h"
#include "device/simulateddevice.h"

MovePlans::MovePlans(QObject* parent)
    : QObject(parent)
{
}

void MovePlans::setDevice(SimulatedDevice* device)
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = device;
    const QList<quint8> drawn = m_moves.keys();
    m_moves.clear();
    m_pending.clear();
    for (quint8 motor : drawn)
        emit planChanged(Move, motor);
    if (device) {
        connect(device, &SimulatedDevice::moveStarted, this, &MovePlans::moveStarted);
        connect(device, &SimulatedDevice::moveArrived, this, &MovePlans::moveArrived);
        // Ramp settings written (the tool's ramp table, a script) and time passing change the preview.
        connect(device, &SimulatedDevice::valueWritten, this, [this](quint8 written) {
            if (written == m_previewMotor)
                replan();
        });
        connect(device, &SimulatedDevice::advanced, this, &MovePlans::replan);
    }
    replan();
}

const MovePlans::Drawn* MovePlans::drawn(Kind kind, quint8 motor) const
{
    if (kind == Preview)
        return m_previewShown && motor == m_previewMotor ? &m_previewDrawn : nullptr;
    const auto found = m_moves.constFind(motor);
    return found == m_moves.constEnd() ? nullptr : &found.value();
}

void MovePlans::setPreview(quint8 motor, Reference reference, qint32 value)
{
    if (motor != m_previewMotor && m_previewShown) {
        m_previewShown = false;
        emit planChanged(Preview, m_previewMotor);
    }
    m_previewMotor = motor;
    m_reference = reference;
    m_value = value;
    replan();
}

void MovePlans::replan()
{
    MovePlanner::Plan plan;
    if (m_device && hasPreview()) {
        plan = m_reference == Absolute ? MovePlanner::planMoveTo(*m_device, m_previewMotor, m_value)
                                       : MovePlanner::planMoveBy(*m_device, m_previewMotor, m_value);
    }
    const bool changed = plan.phases.size() != m_preview.phases.size() || plan.arrival != m_preview.arrival
                         || plan.startPosition != m_preview.startPosition || plan.peakVelocity != m_preview.peakVelocity
                         || hasPreview() != m_planned;
    m_preview = plan;
    m_planned = hasPreview();
    if (changed)
        emit previewReplanned();
    // Drawn from now on while the motor stands; a moving motor has its move drawn instead.
    const bool shown = !plan.phases.isEmpty() && plan.startVelocity == 0;
    if (!shown && !m_previewShown)
        return;
    m_previewShown = shown;
    m_previewDrawn = Drawn{m_device ? m_device->timeMs() / 1000.0 : 0, plan};
    emit planChanged(Preview, m_previewMotor);
}

void MovePlans::moveStarted(quint8 motor, qint64 timeMs)
{
    // The move as the device runs it: one in another mode is not planned.
    const RampGenerator::Settings settings = m_device->motionSettings(motor);
    if (!settings.positionMode) {
        m_pending.remove(motor);
        return;
    }
    const MovePlanner::Plan plan = MovePlanner::plan(settings, m_device->currentMotion(motor), m_device->target(motor));
    m_pending.insert(motor, Pending{timeMs, plan.arrival});
    // A move that jumps to its target has nothing to draw.
    if (plan.phases.isEmpty()) {
        if (m_moves.remove(motor) > 0)
            emit planChanged(Move, motor);
        return;
    }
    m_moves.insert(motor, Drawn{timeMs / 1000.0, plan});
    emit planChanged(Move, motor);
}

void MovePlans::moveArrived(quint8 motor, qint64 timeMs)
{
    const auto pending = m_pending.constFind(motor);
    if (pending == m_pending.constEnd())
        return;
    const Pending move = pending.value();
    m_pending.erase(pending);
    emit arrived(motor, (timeMs - move.startMs) / 1000.0, move.plannedSeconds);
}

QString MovePlans::velocityText(double positionsPerSecond)
{
    return decimalText(positionsPerSecond, 3);
}
