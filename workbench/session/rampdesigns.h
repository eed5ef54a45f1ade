// SPDX-License-Identifier: MIT
#pragma once

#include "device/rampdesigner.h"

#include <QObject>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <QVector>

class SimulatedDevice;

// The ramp designs of a session: the last proposal for a move of a motor,
// and what the last Apply replaced, so that Undo can put it back. The writes
// themselves go through the motor's tool, as a person's would (the
// workbench's RampWriter); this only says what to write.
class RampDesigns : public QObject
{
    Q_OBJECT

public:
    // Setting names and the values to write to them.
    using Values = QVector<QPair<QString, qint64>>;

    // What to design: a move and how long it is to take by a rule, or the
    // fastest move within a maximum velocity and acceleration.
    struct Goal
    {
        qint64 distance = 0;
        double seconds = 0;
        RampDesigner::Rule rule = RampDesigner::Rule::Scaled;
        double maxVelocity = 0;     // positions/s, for Fastest
        double maxAcceleration = 0; // positions/s², for Fastest

        // The words of the script's `design` that asks for it.
        QStringList words() const;
    };

    explicit RampDesigns(QObject* parent = nullptr);

    // Designs from what `device` holds from now on; forgets every design.
    void setDevice(SimulatedDevice* device);

    // The proposal for `goal` of `motor`, from the ramp its device holds now;
    // its plans start where the motor is. Not kept.
    RampDesigner::Proposal propose(quint8 motor, const Goal& goal) const;
    // Proposes and keeps the proposal as the last one, which Apply writes.
    const RampDesigner::Proposal& design(quint8 motor, const Goal& goal);

    bool hasProposal() const { return m_hasProposal; }
    const Goal& goal() const { return m_goal; }
    const RampDesigner::Proposal& proposal() const { return m_proposal; }
    quint8 motor() const { return m_motor; }
    // The device's time now, in seconds: a proposal's plans run from there.
    double nowSeconds() const;

    // What Apply writes: the settings the proposal changes, with the values
    // they get; false and `error` set when there is nothing to apply.
    bool toApply(Values* values, QString* error) const;
    // What the settings of `values` hold in the device of `motor` now (to undo a write of them).
    Values current(quint8 motor, const Values& values) const;
    // Apply wrote the proposal over `before`, which Undo puts back.
    void applied(const Values& before);
    // What Undo writes, to the motor of the Apply; false and `error` set when there is nothing to undo.
    bool toUndo(Values* values, QString* error) const;
    quint8 undoMotor() const { return m_undoMotor; }
    void undone();
    bool canUndo() const { return !m_undo.isEmpty(); }

signals:
    // A proposal was kept as the last one (by a script's design, or the window's Apply).
    void proposalChanged();
    void undoChanged();

private:
    QPointer<SimulatedDevice> m_device;
    RampDesigner::Proposal m_proposal;
    Goal m_goal;
    bool m_hasProposal = false;
    quint8 m_motor = 0;
    Values m_undo;
    quint8 m_undoMotor = 0;
};
