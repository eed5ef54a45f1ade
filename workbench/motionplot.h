// SPDX-License-Identifier: MIT
#pragma once

#include "device/moveplanner.h"
#include "moveplans.h"
#include "samplestore.h"

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

// A plot of the motion the session samples: target position, actual
// position and velocity of every motor it follows over the last 20 s of
// device time. Each motor has a colour family of its own; clicking a legend
// entry hides or shows its curve. It can be paused (the view stands still
// while samples go on), scales its value axes to the data unless the user
// zooms or drags them, and saves the samples (CSV, from the store) or its
// picture (PNG, PDF).
//
// Ahead of the samples it draws the plans of the current motor: the move
// under way, as dashed curves in the colours of the measured ones with its
// phases marked and its arrival, and a preview of a move not made, dotted.
//
// Live, it redraws at most every RedrawMs after what it shows changed, at
// most every IdleRedrawMs while only time passes (every motor at rest), and
// not at all while nothing changes; otherwise (a scripted run) only when
// asked (replotNow, a picture).
class MotionPlot : public QWidget
{
    Q_OBJECT

public:
    enum Series { Target = SampleStore::Target, Actual = SampleStore::Actual, Velocity = SampleStore::Velocity };
    static constexpr int RedrawMs = 100;
    static constexpr int IdleRedrawMs = 1000;

    MotionPlot(SampleStore& samples, MovePlans& plans, QWidget* parent = nullptr);
    ~MotionPlot() override;

    // Redraws as the samples and plans change; off, only when asked.
    void setLive(bool on);
    // The motor whose plans are drawn; it need not be plotted.
    void setCurrentMotor(quint8 motor);
    quint8 motor() const { return m_motor; }
    // The motors with curves on the plot, in ascending order.
    QList<quint8> motors() const;

    bool isPaused() const;
    void setPaused(bool paused);
    bool autoScale() const;
    void setAutoScale(bool on);

    // Draws what the store and the plans hold now.
    void replotNow();

    // Saves by the file name's extension: .csv the samples, .png or .pdf the
    // picture. False and `error` set when it cannot.
    bool save(const QString& path, QString* error) const;
    // Asks for a file and saves to it.
    void saveAs();

    using PlanKind = MovePlans::Kind;
    // The drawn planned curve of Actual or Velocity, as (device time in s, value).
    QVector<QPointF> planned(PlanKind kind, Series series) const;
    // The phase marks drawn for the move under way: "TIME NAME" per boundary.
    QStringList phaseMarks() const;

    // A ramp design: the move on the settings now, thin, and the proposed
    // move dotted over it, from `startSeconds` of device time; null: none.
    void showDesign(const MovePlanner::Plan* current, const MovePlanner::Plan* proposed, double startSeconds);
    // The drawn designed position of the current (false) or proposed move, as (device time in s, value).
    QVector<QPointF> designed(bool proposed) const;

private:
    // The measured curves of one motor, by Series.
    struct Curves
    {
        quint8 motor = 0;
        QCPGraph* graph[3] = {nullptr, nullptr, nullptr};
    };

    void changed();
    // A redraw within RedrawMs when `moving`, else within IdleRedrawMs.
    void scheduleRedraw(bool moving);
    void redraw();
    void followMotors();
    void fillCurves();
    // Brings the time axis to the samples and plans, and the value axes to the data when auto-scaling.
    void fitView() const;
    void rescaleValueAxes() const;
    QByteArray picture(bool pdf) const;
    void styleCurrentMotor();
    void rebuildLegend();
    void legendClicked(QCPAbstractLegendItem* item);
    // Hides the curves whose names the user hid in the legend, greying their entries.
    void applyHidden();
    // Hides the curve `name` if it is shown, shows it if hidden.
    void toggleCurve(const QString& name);
    void drawPlans();
    void drawPlan(PlanKind kind);
    double planEndSeconds() const;

    SampleStore& m_samples;
    MovePlans& m_plans;
    quint8 m_motor = 0;
    QVector<Curves> m_curves; // by motor, ascending
    QSet<QString> m_hidden;   // names of the curves hidden from the legend
    QCustomPlot* m_plot = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_autoScale = nullptr;
    QCPGraph* m_plannedPosition[2] = {nullptr, nullptr};
    QCPGraph* m_plannedVelocity[2] = {nullptr, nullptr};
    QCPGraph* m_arrival = nullptr;
    QCPGraph* m_designPosition[2] = {nullptr, nullptr}; // the move now, the proposed move
    QCPGraph* m_designVelocity[2] = {nullptr, nullptr};
    double m_designEndSeconds = 0;
    QList<QCPAbstractItem*> m_marks;
    QStringList m_markTexts;
    QTimer m_redraw;
    bool m_live = false;
    bool m_dirty = false;   // samples, plans or curves changed since the last redraw
    bool m_resized = false; // the plot has a new size since the last redraw
};
