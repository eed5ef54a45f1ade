// SPDX-License-Identifier: MIT
#include "rampdesigns.h"

#include "device/decimaltext.h"
#include "device/simulateddevice.h"

#include <utility>

RampDesigns::RampDesigns(QObject* parent)
    : QObject(parent)
{
}

void RampDesigns::setDevice(SimulatedDevice* device)
{
    m_device = device;
    const bool had = m_hasProposal;
    const bool couldUndo = canUndo();
    m_hasProposal = false;
    m_proposal = RampDesigner::Proposal();
    m_undo.clear();
    if (had)
        emit proposalChanged();
    if (couldUndo)
        emit undoChanged();
}

QStringList RampDesigns::Goal::words() const
{
    const QString move = QString::number(distance);
    switch (rule) {
    case RampDesigner::Rule::Scaled:
        return {move, decimalText(seconds, 6)};
    case RampDesigner::Rule::Gentlest:
        return {move, decimalText(seconds, 6), QStringLiteral("gentlest")};
    case RampDesigner::Rule::Fastest:
        break;
    }
    return {move, QStringLiteral("fastest"), decimalText(maxVelocity, 6), decimalText(maxAcceleration, 6)};
}

RampDesigner::Proposal RampDesigns::propose(quint8 motor, const Goal& goal) const
{
    RampDesigner::Proposal proposal;
    if (!m_device) {
        proposal.error = QStringLiteral("no product yet");
        return proposal;
    }
    const RampDesigner::Ramp ramp = RampDesigner::ramp(*m_device, motor);
    proposal = goal.rule == RampDesigner::Rule::Fastest
                   ? RampDesigner::fastest(ramp, goal.distance, goal.maxVelocity, goal.maxAcceleration)
                   : RampDesigner::design(ramp, goal.distance, goal.seconds, goal.rule);
    if (!proposal.error.isEmpty())
        return proposal;
    // Planned from standstill at 0; drawn and printed from where the motor is.
    const qint32 actual = m_device->actualPosition(motor);
    const qint32 target = qint32(quint32(actual) + quint32(proposal.distance));
    const RampGenerator::State start{double(actual), 0};
    QVector<qint64> now;
    QVector<qint64> proposed;
    for (const RampDesigner::Setting& setting : proposal.settings) {
        now.append(setting.now);
        proposed.append(setting.proposed);
    }
    proposal.plan = MovePlanner::plan(RampDesigner::settings(ramp, proposed), start, target);
    proposal.current = MovePlanner::plan(RampDesigner::settings(ramp, now), start, target);
    return proposal;
}

const RampDesigner::Proposal& RampDesigns::design(quint8 motor, const Goal& goal)
{
    m_proposal = propose(motor, goal);
    m_goal = goal;
    m_motor = motor;
    m_hasProposal = true;
    emit proposalChanged();
    return m_proposal;
}

double RampDesigns::nowSeconds() const
{
    return m_device ? m_device->timeMs() / 1000.0 : 0;
}

bool RampDesigns::toApply(Values* values, QString* error) const
{
    if (!m_hasProposal) {
        *error = QStringLiteral("there is no design to apply: \"design DISTANCE SECONDS\" comes first");
        return false;
    }
    if (!m_proposal.error.isEmpty()) {
        *error = QStringLiteral("the last design has nothing to apply: %1").arg(m_proposal.error);
        return false;
    }
    if (!m_proposal.feasible) {
        *error = QStringLiteral("the last design cannot be had (%1 binds at %2 s): nothing to apply")
                     .arg(m_proposal.limit)
                     .arg(m_proposal.limitSeconds, 0, 'f', 3);
        return false;
    }
    values->clear();
    for (const RampDesigner::Setting& setting : m_proposal.changed())
        values->append(qMakePair(setting.name, setting.proposed));
    return true;
}

RampDesigns::Values RampDesigns::current(quint8 motor, const Values& values) const
{
    Values result;
    if (!m_device)
        return result;
    // As the motion reads them, through the product's wiring.
    const RampDesigner::Ramp ramp = RampDesigner::ramp(*m_device, motor);
    for (const auto& value : values) {
        for (const RampDesigner::Setting& setting : ramp.settings) {
            if (setting.name == value.first)
                result.append(qMakePair(setting.name, setting.now));
        }
    }
    return result;
}

void RampDesigns::applied(const Values& before)
{
    m_undo = before;
    m_undoMotor = m_motor;
    emit undoChanged();
}

bool RampDesigns::toUndo(Values* values, QString* error) const
{
    if (m_undo.isEmpty()) {
        *error = QStringLiteral("there is no applied design to undo");
        return false;
    }
    *values = m_undo;
    return true;
}

void RampDesigns::undone()
{
    m_undo.clear();
    emit undoChanged();
}
