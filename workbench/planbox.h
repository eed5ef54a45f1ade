#pragma once

#include "device/moveplanner.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class SimulatedDevice;

// Shows the plan of a move the user types, for a motor's current ramp
// settings, without moving: a distance from the actual position or an
// absolute target, the duration, the peak velocity and the phases. It plans
// again when the device's values are written and as device time passes.
class PlanBox : public QWidget
{
    Q_OBJECT

public:
    enum Reference { Relative, Absolute };

    explicit PlanBox(QWidget* parent = nullptr);

    void setSource(SimulatedDevice* device, quint8 motor);
    void setMove(Reference reference, qint32 value);
    const MovePlanner::Plan& plan() const { return m_plan; }

signals:
    // The plan to preview on the plot from `startSeconds`: empty while the
    // motor moves or when there is nothing to move.
    void previewChanged(quint8 motor, double startSeconds, const MovePlanner::Plan& plan);

private:
    void replan();
    void showPlan();

    QPointer<SimulatedDevice> m_device;
    quint8 m_motor = 0;
    MovePlanner::Plan m_plan;
    QSpinBox* m_value = nullptr;
    QComboBox* m_reference = nullptr;
    QLabel* m_summary = nullptr;
    QTableWidget* m_phases = nullptr;
};
