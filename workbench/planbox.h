// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class MovePlans;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

// The plan of a move the user types, for the current motor's ramp settings,
// without moving: a distance from the actual position or an absolute
// target; it shows the duration, the peak velocity and the phases of the
// session's preview, which follows the device as it changes.
class PlanBox : public QWidget
{
    Q_OBJECT

public:
    enum Reference { Relative, Absolute };

    explicit PlanBox(MovePlans& plans, QWidget* parent = nullptr);

    // Plans for `motor` from now on.
    void setMotor(quint8 motor);
    void setMove(Reference reference, qint32 value);

private:
    void moveTyped();
    void showPlan();

    MovePlans& m_plans;
    quint8 m_motor = 0;
    QSpinBox* m_value = nullptr;
    QComboBox* m_reference = nullptr;
    QLabel* m_summary = nullptr;
    QTableWidget* m_phases = nullptr;
};
