// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QVector>

#include <array>
#include <deque>

class SimulatedDevice;

// The motion the session has seen: at each sample instant the target
// position, actual position and velocity of every motor it follows, over the
// last WindowMs of device time. The plot draws it; the CSV is written from it.
// Every motor is sampled at the same instants; a motor followed from some
// instant on has no values before it.
class SampleStore : public QObject
{
    Q_OBJECT

public:
    enum Series { Target, Actual, Velocity, SeriesCount };
    // How much device time the store keeps, in ms.
    static constexpr qint64 WindowMs = 20000;

    explicit SampleStore(QObject* parent = nullptr);

    // Samples `device` from now on; forgets every motor and sample.
    void setDevice(SimulatedDevice* device);
    // Follows `motor` from now on (sampled at once, at the instant of the others).
    void addMotor(quint8 motor);
    void removeMotor(quint8 motor);
    // The motors followed, in ascending order.
    QList<quint8> motors() const;
    // Takes a sample of every motor at the device's time now; a sample of
    // the same instant replaces the one before. Nothing without a motor.
    void sample();
    // Forgets the samples; the motors stay followed.
    void clear();

    // The sample instants kept, and the last of them in ms.
    int count() const { return int(m_times.size()); }
    qint64 lastTimeMs() const { return m_times.empty() ? 0 : m_times.back(); }
    // Whether every motor's last sample is the same as the one before it:
    // nothing moves, only time passes.
    bool stillAtLastInstant() const;
    // One series of `motor` as (device time in s, value), from its first sample on.
    QVector<QPointF> series(quint8 motor, Series series) const;
    // A header row, then a row per instant: time in s, then target, actual
    // and velocity of each motor in ascending order, numbers with a point
    // whatever the locale, and empty cells before a motor was followed.
    QByteArray csv() const;

signals:
    // Samples were taken or forgotten, or motors came or went.
    void changed();

private:
    struct Motor
    {
        quint8 motor = 0;
        // One row per instant from the motor's first on, aligned with the
        // last instants of m_times.
        std::deque<std::array<double, SeriesCount>> rows;
    };

    const Motor* find(quint8 motor) const;
    void trim(qint64 nowMs);

    QPointer<SimulatedDevice> m_device;
    std::deque<qint64> m_times; // the instants, in ms of device time
    QVector<Motor> m_motors;    // in ascending order
};
