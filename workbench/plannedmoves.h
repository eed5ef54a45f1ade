#pragma once

#include "device/moveplanner.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class SimulatedDevice;

// Plans each move a motor of the device starts in position mode, from the
// device's ramp settings and the motion it starts from, and tells how long
// the move took against its plan when the motor arrives.
class PlannedMoves : public QObject
{
    Q_OBJECT

public:
    explicit PlannedMoves(QObject* parent = nullptr);

    void setDevice(SimulatedDevice* device);

signals:
    void planned(quint8 motor, double startSeconds, const MovePlanner::Plan& plan);
    void arrived(quint8 motor, double seconds, double plannedSeconds);

private:
    void moveStarted(quint8 motor, qint64 timeMs);
    void moveArrived(quint8 motor, qint64 timeMs);

    struct Pending
    {
        qint64 startMs = 0;
        double plannedSeconds = 0;
    };

    QPointer<SimulatedDevice> m_device;
    QHash<quint8, Pending> m_pending; // by motor
};
