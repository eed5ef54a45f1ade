// SPDX-License-Identifier: MIT
#pragma once

#include "core/devicelink.h"
#include "devicestore.h"
#include "model/productdescription.h"
#include "motionwiring.h"
#include "motormotion.h"
#include "rampgenerator.h"

#include <QObject>
#include <QPointer>

#include <map>

class XmlParameterInterface;

// The device behind a simulated module: the values it holds (a register file
// per channel, an axis-parameter store per motor) and each motor's motion,
// which moves only when the device's time is advanced. It is the module's
// link to the device.
class SimulatedDevice : public QObject, public DeviceLink
{
    Q_OBJECT

public:
    static constexpr int StepMs = MotorMotion::StepMs;

    SimulatedDevice(const ProductDescription& product, const MotionWiring& motion, QObject* parent = nullptr);

    void perform(DeviceAccess& access) override;
    const MotionWiring& motion() const { return m_motion; }
    const ProductDescription* product() const { return m_product; }

    // Registers keep every bit written to them.
    quint32 readRegister(quint8 channel, quint16 address);
    void writeRegister(quint8 channel, quint16 address, quint32 value);
    qint64 readParameter(quint8 motor, const XmlParameterInterface& parameter);
    // Returns the value kept: clamped to the parameter's range and rounded
    // towards zero to its granularity.
    qint64 writeParameter(quint8 motor, const XmlParameterInterface& parameter, qint64 value);
    // Commands an absolute move of a motor (its motion's target).
    void moveTo(quint8 motor, qint32 position);

    // Advances the device's time, and with it every motor's motion. The
    // motion runs in steps of StepMs of device time, however the time is cut;
    // a stretch at constant velocity costs about as little as one step.
    void advance(int milliseconds);
    qint64 timeMs() const { return m_timeMs; }

    // Access by name (register, field or parameter role) from outside the
    // module: scripts, tests and the workbench. Not recorded anywhere.
    bool setValue(quint8 motor, const QString& name, qint64 value, QString* error = nullptr);
    bool value(quint8 motor, const QString& name, qint64* value, QString* error = nullptr);
    // What the product's description allows for a name: a register takes any
    // 32 bits, signed or not, a field and a parameter their range. `kind` is
    // "register", "field" or "parameter", empty when the product has no such
    // name (and the range all of 64 bits).
    struct Range
    {
        QString kind;
        qint64 minimum = 0;
        qint64 maximum = 0;
    };
    Range range(const QString& name);

    // A motor's motion in its own units: the actual position and the target
    // as the 32-bit counters the device shows, the velocity in positions per
    // second as the motion last computed it.
    qint32 actualPosition(quint8 motor);
    qint32 target(quint8 motor);
    double velocity(quint8 motor) const;
    // What the motion of a motor runs on now: its ramp settings read through
    // the product's wiring and scales, and its exact position (in the 32-bit
    // frame) and velocity, from which its next tick starts. The inputs of a
    // plan of its next move.
    RampGenerator::Settings motionSettings(quint8 motor);
    RampGenerator::State currentMotion(quint8 motor);

signals:
    void advanced(qint64 timeMs);
    // A motor's motion set off towards a new target (or was commanded to
    // move); emitted before it takes its first tick, at the device time it starts.
    void moveStarted(quint8 motor, qint64 timeMs);
    // A motor came to rest on its target, at that device time (to the millisecond).
    void moveArrived(quint8 motor, qint64 timeMs);
    // A register, field or parameter of a motor was written from outside the
    // motion: by the module or by name.
    void valueWritten(quint8 motor);

private:
    // The motion roles the device reads and writes itself, in the order of
    // MotionWiring::roles() (which goes on with roles the motion does not use).
    enum Role {
        Target,
        Actual,
        Velocity,
        Mode,
        RampEnable,
        VStart,
        A1,
        V1,
        A2,
        V2,
        AMax,
        VMax,
        DMax,
        D2,
        D1,
        VStop,
        RoleCount
    };

    // Where a motion role's value lives: read and written where the wiring
    // says (a field, not the register of the same name).
    struct RoleSource
    {
        bool wired = false;
        MotionWiring::Source source;
        DeviceStore::Place place;
    };

    MotorMotion& motorMotion(quint8 motor);
    qint64 motionValue(quint8 motor, Role role, qint64 fallback);
    // The motion of a motor as last computed.
    RampGenerator::State motionState(quint8 motor) const;
    qint32 position(quint8 motor, Role role);
    void writeMotionValue(quint8 motor, Role role, qint64 value);
    void stepMotion(quint8 motor, int milliseconds);

    QPointer<const ProductDescription> m_product;
    MotionWiring m_motion;
    RoleSource m_roles[RoleCount];
    DeviceStore m_store;
    // Each motor's motion; its place stays where it is while others are added.
    std::map<quint8, MotorMotion> m_motions;
    qint64 m_timeMs = 0;
};
