// SPDX-License-Identifier: MIT
#pragma once

#include "device/moveplanner.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class SimulatedDevice;

// The plans the session shows. Each move a motor starts in position mode is
// planned from the device's ramp settings and the motion it starts from, and
// when the motor arrives the time it took is told against the plan. Beside
// them, the preview of a move the user types for one motor, planned again
// whenever the device's values are written or its time passes.
class MovePlans : public QObject
{
    Q_OBJECT

public:
    enum Kind { Move, Preview };
    enum Reference { Relative, Absolute };

    // A velocity as plans show it, in a script and in the window: to three
    // decimals without trailing zeros, so that a slow ramp's 0.01 positions/s
    // shows and a whole velocity is a whole number.
    static QString velocityText(double positionsPerSecond);

    // A plan and the device time it starts at, in seconds.
    struct Drawn
    {
        double startSeconds = 0;
        MovePlanner::Plan plan;
    };

    explicit MovePlans(QObject* parent = nullptr);

    // Plans what `device` does from now on; forgets every plan.
    void setDevice(SimulatedDevice* device);
    // The move under way of `motor`, or the preview while `motor` stands
    // (the preview's motor only); null when there is none to draw.
    const Drawn* drawn(Kind kind, quint8 motor) const;

    // The move to preview for `motor`: by `value` from its actual position,
    // or to the target `value`. Nothing is planned for a distance of 0.
    void setPreview(quint8 motor, Reference reference, qint32 value);
    quint8 previewMotor() const { return m_previewMotor; }
    Reference previewReference() const { return m_reference; }
    qint32 previewValue() const { return m_value; }
    // Whether there is a move to preview at all.
    bool hasPreview() const { return !(m_reference == Relative && m_value == 0); }
    // The preview as planned now, whether the motor stands or not.
    const MovePlanner::Plan& preview() const { return m_preview; }

signals:
    // The plan of `kind` for `motor` changed (planned, replanned or gone).
    void planChanged(MovePlans::Kind kind, quint8 motor);
    // The preview's plan differs from the one before (or the move to preview changed).
    void previewReplanned();
    // `motor` came to rest `seconds` after its move started; it was planned to take `plannedSeconds`.
    void arrived(quint8 motor, double seconds, double plannedSeconds);

private:
    void moveStarted(quint8 motor, qint64 timeMs);
    void moveArrived(quint8 motor, qint64 timeMs);
    void replan();

    struct Pending
    {
        qint64 startMs = 0;
        double plannedSeconds = 0;
    };

    QPointer<SimulatedDevice> m_device;
    QHash<quint8, Drawn> m_moves;     // by motor
    QHash<quint8, Pending> m_pending; // moves under way, by motor
    quint8 m_previewMotor = 0;
    Reference m_reference = Relative;
    qint32 m_value = 0;
    MovePlanner::Plan m_preview;
    bool m_planned = false; // m_preview is the plan of a move typed
    Drawn m_previewDrawn;   // the preview from now on, while its motor stands
    bool m_previewShown = false;
};
