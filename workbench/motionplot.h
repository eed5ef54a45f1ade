#pragma once

#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

class QCustomPlot;
class QToolButton;
class SimulatedDevice;

// A live plot of one motor's target position, actual position and velocity
// over the last 20 s of device time, sampled whenever the device's time
// advances. It can be paused (the view stands still while samples go on) and
// scales its value axes to the data unless the user zooms or drags them.
class MotionPlot : public QWidget
{
    Q_OBJECT

public:
    enum Series { Target, Actual, Velocity };
    static constexpr double WindowSeconds = 20.0;

    explicit MotionPlot(QWidget* parent = nullptr);
    ~MotionPlot() override;

    void setSource(SimulatedDevice* device, quint8 motor);
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

private:
    void sample(qint64 timeMs);
    void redraw();
    void rescaleValueAxes();

    QPointer<SimulatedDevice> m_device;
    quint8 m_motor = 0;
    QCustomPlot* m_plot = nullptr;
    QToolButton* m_pause = nullptr;
    QToolButton* m_autoScale = nullptr;
    QTimer m_redraw;
    double m_lastSeconds = 0;
    bool m_dirty = false;
};
