// SPDX-License-Identifier: MIT
#include "simulateddevice.h"

#include "core/deviceaccess.h"
#include "core/excerpt.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <cmath>
#include <limits>

namespace {
// The names of SimulatedDevice::Role in MotionWiring.
const char* const kRoleNames[] = {"target", "actual", "velocity", "mode", "rampEnable", "vStart", "a1", "v1",
                                  "a2",     "v2",     "aMax",     "vMax", "dMax",       "d2",     "d1", "vStop"};

QString noSuchName(const QString& name)
{
    return QStringLiteral("the device has no register, field or parameter \"%1\"").arg(Excerpt::of(name));
}
} // namespace

SimulatedDevice::SimulatedDevice(const ProductDescription& product, const MotionWiring& motion, QObject* parent)
    : QObject(parent)
    , m_product(&product)
    , m_motion(motion)
    // A motion starts only when the target changes, so a motor stands where
    // its channel's defaults put it.
    , m_store(product, [this](quint8 channel) {
        m_motions[channel].settle(position(channel, Actual), position(channel, Target));
    })
{
    static_assert(sizeof(kRoleNames) / sizeof(kRoleNames[0]) == RoleCount, "a name for every role");
    for (int role = 0; role < RoleCount; ++role) {
        const auto source = m_motion.sources.constFind(QLatin1String(kRoleNames[role]));
        m_roles[role].wired = source != m_motion.sources.constEnd();
        if (m_roles[role].wired) {
            m_roles[role].source = *source;
            m_roles[role].place = DeviceStore::Place(source->name);
        }
    }
}

void SimulatedDevice::perform(DeviceAccess& access)
{
    if (!m_product)
        return;
    const quint8 motor = access.motor;
    switch (access.operation) {
    case DeviceAccess::Read:
        if (access.parameter) {
            access.result = readParameter(motor, *access.parameter);
        } else if (access.field) {
            access.touchedRegister = access.field->getRegister();
            if (!access.touchedRegister)
                return;
            access.registerValue = readRegister(motor, access.touchedRegister->address());
            access.result = access.field->getFieldValue(access.registerValue);
        } else {
            access.touchedRegister = access.reg;
            if (!access.touchedRegister && m_product->ic())
                access.touchedRegister = m_product->ic()->registerAt(access.address);
            access.registerValue = readRegister(motor, access.reg ? access.reg->address() : access.address);
            access.result = qint32(access.registerValue);
        }
        break;
    case DeviceAccess::Write:
        if (access.parameter) {
            access.result = writeParameter(motor, *access.parameter, access.value);
        } else if (access.field) {
            access.touchedRegister = access.field->getRegister();
            if (!access.touchedRegister)
                return;
            m_store.writeField(motor, *access.field, access.value);
            access.registerValue = readRegister(motor, access.touchedRegister->address());
            access.result = access.field->getFieldValue(access.registerValue);
        } else if (access.reg) {
            access.touchedRegister = access.reg;
            writeRegister(motor, access.reg->address(), quint32(quint64(access.value)));
            access.registerValue = readRegister(motor, access.reg->address());
            access.result = qint32(access.registerValue);
        } else {
            return;
        }
        emit valueWritten(motor);
        break;
    case DeviceAccess::Move:
        moveTo(motor, qint32(access.value));
        break;
    case DeviceAccess::Trace:
    case DeviceAccess::Untrace:
    case DeviceAccess::UntraceAll:
        // The host keeps traced values current by reading them; the device
        // has nothing to do.
        break;
    }
    access.performed = true;
}

quint32 SimulatedDevice::readRegister(quint8 channel, quint16 address)
{
    return m_store.readRegister(channel, address);
}

void SimulatedDevice::writeRegister(quint8 channel, quint16 address, quint32 value)
{
    m_store.writeRegister(channel, address, value);
}

qint64 SimulatedDevice::readParameter(quint8 motor, const XmlParameterInterface& parameter)
{
    return m_store.readParameter(motor, parameter);
}

qint64 SimulatedDevice::writeParameter(quint8 motor, const XmlParameterInterface& parameter, qint64 value)
{
    return m_store.writeParameter(motor, parameter, value);
}

void SimulatedDevice::moveTo(quint8 motor, qint32 position)
{
    writeMotionValue(motor, Target, position);
    motorMotion(motor).command(position);
    emit moveStarted(motor, m_timeMs);
}

void SimulatedDevice::advance(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    // The motion steps from the time the slice starts at.
    const int motors = m_product ? m_product->motors() : 1;
    for (int motor = 0; motor < motors; ++motor)
        stepMotion(quint8(motor), milliseconds);
    m_timeMs += milliseconds;
    emit advanced(m_timeMs);
}

bool SimulatedDevice::setValue(quint8 motor, const QString& name, qint64 value, QString* error)
{
    const DeviceStore::Place& place = m_store.place(name);
    if (!place.found()) {
        if (error)
            *error = noSuchName(name);
        return false;
    }
    if (!m_store.write(motor, place, value))
        return false;
    emit valueWritten(motor);
    return true;
}

bool SimulatedDevice::value(quint8 motor, const QString& name, qint64* value, QString* error)
{
    if (m_store.read(motor, m_store.place(name), value))
        return true;
    if (error)
        *error = noSuchName(name);
    return false;
}

SimulatedDevice::Range SimulatedDevice::range(const QString& name)
{
    const DeviceStore::Place& place = m_store.place(name);
    if (place.reg())
        return Range{QStringLiteral("register"), -0x80000000LL, 0xFFFFFFFFLL};
    if (const XmlValueRegisterField* field = place.field())
        return Range{QStringLiteral("field"), field->minimum(), field->maximum()};
    if (const XmlParameterInterface* parameter = place.parameter())
        return Range{QStringLiteral("parameter"), parameter->minimum(), parameter->maximum()};
    return Range{QString(), std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
}

qint32 SimulatedDevice::actualPosition(quint8 motor)
{
    return position(motor, Actual);
}

qint32 SimulatedDevice::target(quint8 motor)
{
    return position(motor, Target);
}

double SimulatedDevice::velocity(quint8 motor) const
{
    return motionState(motor).velocity;
}

RampGenerator::State SimulatedDevice::motionState(quint8 motor) const
{
    const auto motion = m_motions.find(motor);
    return motion == m_motions.end() ? RampGenerator::State() : motion->second.state();
}

RampGenerator::State SimulatedDevice::currentMotion(quint8 motor)
{
    const MotorMotion& motion = motorMotion(motor);
    return motion.startingAt(position(motor, Actual));
}

MotorMotion& SimulatedDevice::motorMotion(quint8 motor)
{
    m_store.open(motor); // a new channel settles the motor's motion
    return m_motions[motor];
}

qint64 SimulatedDevice::motionValue(quint8 motor, Role role, qint64 fallback)
{
    RoleSource& found = m_roles[role];
    if (!found.wired || !m_product)
        return fallback;
    const DeviceStore::Place& place = m_store.resolved(found.place);
    // A field named as its register holds only its own bits, and the motion
    // runs on those whatever else the register holds.
    if (found.source.kind == MotionWiring::Source::Field && place.field()) {
        const XmlValueRegister* reg = place.field()->getRegister();
        return reg ? place.field()->getFieldValue(m_store.readRegister(motor, reg->address())) : fallback;
    }
    qint64 result = fallback;
    m_store.read(motor, place, &result);
    return result;
}

qint32 SimulatedDevice::position(quint8 motor, Role role)
{
    return qint32(quint32(quint64(motionValue(motor, role, 0)))); // the counter's 32 bits
}

void SimulatedDevice::writeMotionValue(quint8 motor, Role role, qint64 value)
{
    RoleSource& found = m_roles[role];
    if (!found.wired || !m_product)
        return;
    const DeviceStore::Place& place = m_store.resolved(found.place);
    switch (found.source.kind) {
    case MotionWiring::Source::Parameter:
        m_store.setParameter(motor, found.source.name, value);
        break;
    case MotionWiring::Source::Register:
        if (place.reg())
            m_store.writeRegister(motor, place.reg()->address(), quint32(quint64(value)));
        break;
    case MotionWiring::Source::Field:
        if (place.field())
            m_store.writeField(motor, *place.field(), value);
        break;
    }
}

RampGenerator::Settings SimulatedDevice::motionSettings(quint8 motor)
{
    RampGenerator::Settings settings;
    settings.profile = m_motion.profile;
    const RoleSource& mode = m_roles[Mode];
    if (mode.wired)
        settings.positionMode = motionValue(motor, Mode, mode.source.value) == mode.source.value;
    settings.rampEnabled = motionValue(motor, RampEnable, 1) != 0;
    // Device values times the product's scales: positions per second, per second squared.
    const auto velocity = [&](Role role) { return double(motionValue(motor, role, 0)) * m_motion.velocityScale; };
    const auto acceleration = [&](Role role) { return double(motionValue(motor, role, 0)) * m_motion.accelerationScale; };
    settings.vStart = velocity(VStart);
    settings.a1 = acceleration(A1);
    settings.v1 = velocity(V1);
    settings.a2 = acceleration(A2);
    settings.v2 = velocity(V2);
    settings.aMax = acceleration(AMax);
    settings.vMax = velocity(VMax);
    settings.dMax = acceleration(DMax);
    settings.d2 = acceleration(D2);
    settings.d1 = acceleration(D1);
    settings.vStop = velocity(VStop);
    return settings;
}

void SimulatedDevice::stepMotion(quint8 motor, int milliseconds)
{
    if (!m_product || !m_roles[Target].wired || !m_roles[Actual].wired)
        return;
    MotorMotion& motion = motorMotion(motor);
    const qint32 target = position(motor, Target);
    if (motion.observe(position(motor, Actual), target))
        emit moveStarted(motor, m_timeMs);
    if (!motion.isMoving())
        return;
    const std::optional<qint64> arrival = motion.run(motionSettings(motor), target, m_timeMs, milliseconds);
    writeMotionValue(motor, Actual, motion.counter());
    writeMotionValue(motor, Velocity, std::llround(motion.state().velocity / m_motion.velocityScale));
    if (arrival)
        emit moveArrived(motor, *arrival);
}
