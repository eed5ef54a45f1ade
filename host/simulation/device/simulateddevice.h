#pragma once

#include "core/devicelink.h"
#include "model/productdescription.h"
#include "motionwiring.h"
#include "rampgenerator.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class XmlParameterInterface;
class XmlProductIC;
class XmlValueRegister;
class XmlValueRegisterField;

// The device behind a simulated module: a register file per channel, an
// axis-parameter store per motor, and each motor's motion, which moves only
// when its time is advanced. It is the module's link to the device.
class SimulatedDevice : public QObject, public DeviceLink
{
    Q_OBJECT

public:
    static constexpr int StepMs = 20;

    SimulatedDevice(const ProductDescription& product, const MotionWiring& motion, QObject* parent = nullptr);

    void perform(DeviceAccess& access) override;
    const MotionWiring& motion() const { return m_motion; }

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

    // The motion of a motor as last computed, for plots.
    RampGenerator::State motionState(quint8 motor) const;
    qint64 motionValue(quint8 motor, const QString& role, qint64 fallback);
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

    // Where a motion role's value lives, found by name once, and again when
    // the register map has changed or the parameter found has gone. Reading
    // takes what value() takes for the name (a register of that name, else a
    // field, else a parameter), writing what the wiring says it is.
    struct Binding
    {
        bool wired = false;
        MotionWiring::Source source;
        bool resolved = false;
        QPointer<const XmlProductIC> ic; // the map the pointers below were found in,
        quint64 revision = 0;            // at this revision of it
        QPointer<const XmlValueRegister> reg;
        QPointer<const XmlValueRegisterField> field;
        QPointer<const XmlParameterInterface> parameter;
        bool hadParameter = false;
    };

    // A stretch of plain cruise at VMAX, from a step boundary (its anchor) on:
    // at the end of its `done`-th step the position is the anchor's plus
    // `done` steps' travel, one multiplication, however the steps were cut.
    struct Cruise
    {
        bool on = false;
        bool unsettled = false; // a ticked step of cruise moved the fraction at the last boundary
        qint32 base = 0;        // the counter value at the anchor
        double relative = 0;    // the exact position minus `base` at the anchor
        qint64 whole = 0;       // a step's travel: whole positions ...
        double fraction = 0;    // ... and the rest
        qint64 steps = 0;       // the steps of plain cruise from the anchor
        qint64 done = 0;        // the steps run since the anchor
        qint32 target = 0;      // what the cruise was planned for
        RampGenerator::Settings settings;
    };

    struct Channel
    {
        QHash<quint16, quint32> registers;
        QHash<QString, qint64> parameters;
        RampGenerator::State motion; // exact position and velocity, for plots
        double fraction = 0;         // exact position minus the actual position shown
        qint32 shownActual = 0;      // the actual position the motion last wrote
        // The exact position as a counter value and what the motion ran
        // from it since the last step boundary.
        qint32 base = 0;
        double relative = 0;
        qint32 lastTarget = 0; // the target the motion last saw
        bool moving = false;   // a move runs until it rests on its target
        Cruise cruise;
    };

    Channel& channel(quint8 number);
    void settleMotion(quint8 number);
    const Binding& binding(Role role);
    qint64 motionValue(quint8 motor, Role role, qint64 fallback);
    void writeMotionValue(quint8 motor, Role role, qint64 value);
    void stepMotion(quint8 motor, int milliseconds);
    static bool anchorCruise(Cruise& cruise, const RampGenerator::Settings& settings, qint32 target, qint32 base,
                             const RampGenerator::State& relative);
    static void placeOnCruise(const Cruise& cruise, qint32& base, RampGenerator::State& relative);

    QPointer<const ProductDescription> m_product;
    MotionWiring m_motion;
    Binding m_bindings[RoleCount];
    QHash<quint8, Channel> m_channels;
    qint64 m_timeMs = 0;
};
