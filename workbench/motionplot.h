#pragma once

#include "device/moveplanner.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QCPAbstractItem;
class QCPAbstractLegendItem;
class QCPGraph;
class QCustomPlot;
class QToolButton;
class SimulatedDevice;

// A live plot of the target position, actual position and velocity of one or
// more motors over the last 20 s of device time, sampled whenever the device's
// time advances, every motor at the same instants. Each motor has a colour
// family of its own; clicking a legend entry hides or shows its curve. It can
// be paused (the view stands still while samples go on), scales its value
// axes to the data unless the user zooms or drags them, and saves its data
// (CSV) or its picture (PNG, PDF).
//
// Ahead of the samples it draws plans of the current motor: the move under
// way, as dashed curves in the colours of the measured ones with its phases
// marked and its arrival, and a preview of a move not made, dotted. Plans are
// kept per motor; those of the current motor are drawn.
class MotionPlot : public QWidget
{
    Q_OBJECT

public:
    enum Series { Target, Actual, Velocity };
    static constexpr double WindowSeconds = 20.0;

    explicit MotionPlot(QWidget* parent = nullptr);
    ~MotionPlot() override;

    // Samples `device`; plots no motor until one is added.
    void setDevice(SimulatedDevice* device);
    void addMotor(quint8 motor);
    void removeMotor(quint8 motor);
    // The plotted motors in ascending order.
    QList<quint8> motors() const;
    // The motor whose plans are drawn; it need not be plotted.
    void setCurrentMotor(quint8 motor);
    quint8 motor() const { return m_motor; }
    // Forgets the samples and plans; the plotted motors stay.
    void clear();

    bool isPaused() const;
    void setPaused(bool paused);
    bool autoScale() const;
    void setAutoScale(bool on);

    // Draws what has been sampled now, instead of on the next redraw tick.
    void replotNow();

    // The number of sample instants in the window.
    int sampleCount() const;
    // The samples of one series of `motor` (of the current motor) as (device time in s, value).
    QVector<QPointF> samples(Series series, quint8 motor) const;
    QVector<QPointF> samples(Series series) const { return samples(series, m_motor); }

    // Saves by the file name's extension: .csv the samples (a header, then a
    // row per instant: time, then target, actual and velocity of each plotted
    // motor), .png or .pdf the picture. False and `error` set when it cannot.
    bool save(const QString& path, QString* error) const;
    // Asks for a file and saves to it.
    void saveAs();

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
    // The measured curves of one motor, by Series.
    struct Curves
    {
        quint8 motor = 0;
        QCPGraph* graph[3] = {nullptr, nullptr, nullptr};
    };

    void sample(qint64 timeMs);
    void redraw();
    // Brings the time axis to the samples and plans, and the value axes to the data when auto-scaling.
    void fitView() const;
    void rescaleValueAxes() const;
    const Curves* curves(quint8 motor) const;
    // The curve holding every sample instant (motors added later hold fewer).
    const QCPGraph* timeline() const;
    QByteArray csv() const;
    QByteArray picture(bool pdf) const;
    void styleCurrentMotor();
    void rebuildLegend();
    void legendClicked(QCPAbstractLegendItem* item);
    // Hides the curves whose names the user hid in the legend, greying their entries.
    void applyHidden();
    void drawPlans();
    void drawPlan(PlanKind kind);
    double planEndSeconds() const;

    QPointer<SimulatedDevice> m_device;
    quint8 m_motor = 0;
    QVector<Curves> m_curves; // by motor, ascending
    QSet<QString> m_hidden;   // names of the curves hidden from the legend
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
    bool m_dirty = false;   // samples, plans or curves changed since the last redraw
    bool m_resized = false; // the plot has a new size since the last redraw
};
