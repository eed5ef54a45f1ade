#pragma once

#include "device/moveplanner.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QCPAbstractItem;
class QCPGraph;
class QCustomPlot;
class QToolButton;
class SimulatedDevice;

// A live plot of one motor's target position, actual position and velocity
// over the last 20 s of device time, sampled whenever the device's time
// advances. It can be paused (the view stands still while samples go on) and
// scales its value axes to the data unless the user zooms or drags them.
//
// Ahead of the samples it draws plans of a motor: the move under way, as
// dashed curves in the colours of the measured ones with its phases marked
// and its arrival, and a preview of a move not made, dotted. Plans are kept
// per motor; those of the plotted motor are drawn.
class MotionPlot : public QWidget
{
    Q_OBJECT

public:
    enum Series { Target, Actual, Velocity };
    static constexpr double WindowSeconds = 20.0;

    explicit MotionPlot(QWidget* parent = nullptr);
    ~MotionPlot() override;

    void setSource(SimulatedDevice* device, quint8 motor);
    quint8 motor() const { return m_motor; }
    void clear();

    bool isPaused() const;
    void setPaused(bool paused);
    bool autoScale() const;
    void setAutoScale(bool on);

    // Draws what has been sampled now, instead of on the next redraw tick.
    void replotNow();

    int sampleCount() const;
    // The samples of one series as (device time in s, value).
    QVector<QPointF> samples(Series series) const;

    enum PlanKind { Move, Preview };
    // Draws `plan` of `motor` from device time `startSeconds` on; an empty
    // plan (no phases) removes it.
    void setPlan(PlanKind kind, quint8 motor, double startSeconds, const MovePlanner::Plan& plan);
    // The drawn planned curve of Actual or Velocity, as (device time in s, value).
    QVector<QPointF> planned(PlanKind kind, Series series) const;
    // The phase marks drawn for the move under way: "TIME NAME" per boundary.
    QStringList phaseMarks() const;

private:
    struct Drawn
    {
        double startSeconds = 0;
        MovePlanner::Plan plan;
    };

    void sample(qint64 timeMs);
    void redraw();
    void rescaleValueAxes();
    void drawPlans();
    void drawPlan(PlanKind kind);
    double planEndSeconds() const;

    QPointer<SimulatedDevice> m_device;
    quint8 m_motor = 0;
    QCustomPlot* m_plot = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_autoScale = nullptr;
    QCPGraph* m_plannedPosition[2] = {nullptr, nullptr};
    QCPGraph* m_plannedVelocity[2] = {nullptr, nullptr};
    QCPGraph* m_arrival = nullptr;
    QHash<quint8, Drawn> m_plans[2]; // by kind, then motor
    QList<QCPAbstractItem*> m_marks;
    QStringList m_markTexts;
    QTimer m_redraw;
    double m_lastSeconds = 0;
    bool m_dirty = false;
};
