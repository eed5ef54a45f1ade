// SPDX-License-Identifier: MIT
#pragma once

#include "rampdesigns.h"

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The Design part beside the Plan box: a move and how long it is to take
// (or a motor's limits), and the ramp settings that would make it: a row per
// setting that changes (name, now, proposed), the proposed move's duration
// and peak velocity, or which setting's limit binds and the shortest or
// longest duration to be had. It designs again as the goal or the device's
// values change; the window draws the proposal over the current move and
// does Apply and Undo, which this box asks for.
class DesignBox : public QWidget
{
    Q_OBJECT

public:
    explicit DesignBox(RampDesigns& designs, QWidget* parent = nullptr);

    // Designs for `motor` from now on.
    void setMotor(quint8 motor);
    quint8 motor() const { return m_motor; }
    // The goal as typed, and setting it as a person would type it.
    RampDesigns::Goal goal() const;
    void setGoal(const RampDesigns::Goal& goal);
    // Designs again from what the device holds now.
    void redesign();
    // The proposal shown and the device time (seconds) its plans start at.
    const RampDesigner::Proposal& shown() const { return m_shown; }
    double shownSince() const { return m_shownSince; }

signals:
    void shownChanged();
    void applyRequested();
    void undoRequested();

private:
    void showProposal();

    RampDesigns& m_designs;
    quint8 m_motor = 0;
    RampDesigner::Proposal m_shown;
    double m_shownSince = 0;
    QSpinBox* m_distance = nullptr;
    QComboBox* m_rule = nullptr;
    QDoubleSpinBox* m_seconds = nullptr;
    QDoubleSpinBox* m_maxVelocity = nullptr;
    QDoubleSpinBox* m_maxAcceleration = nullptr;
    QLabel* m_summary = nullptr;
    QTableWidget* m_settings = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_undo = nullptr;
};
