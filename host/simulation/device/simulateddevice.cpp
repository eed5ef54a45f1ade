#include "simulateddevice.h"

#include "core/deviceaccess.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <cmath>

namespace {
// The names of SimulatedDevice::Role in MotionWiring.
const char* const kRoleNames[] = {"target", "actual", "velocity", "mode", "rampEnable", "vStart", "a1", "v1",
                                  "a2",     "v2",     "aMax",     "vMax", "dMax",       "d2",     "d1", "vStop"};
} // namespace

SimulatedDevice::SimulatedDevice(const ProductDescription& product, const MotionWiring& motion, QObject* parent)
    : QObject(parent)
    , m_product(&product)
    , m_motion(motion)
{
    static_assert(sizeof(kRoleNames) / sizeof(kRoleNames[0]) == RoleCount, "a name for every role");
    for (int role = 0; role < RoleCount; ++role) {
        const auto source = m_motion.sources.constFind(QLatin1String(kRoleNames[role]));
        m_bindings[role].wired = source != m_motion.sources.constEnd();
        if (m_bindings[role].wired)
            m_bindings[role].source = *source;
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
            const quint16 address = access.touchedRegister->address();
            writeRegister(motor, address, access.field->insertFieldValue(readRegister(motor, address), access.value));
            access.registerValue = readRegister(motor, address);
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

SimulatedDevice::Channel& SimulatedDevice::channel(quint8 number)
{
    auto it = m_channels.find(number);
    if (it != m_channels.end())
        return it.value();
    // A channel starts from the product's defaults.
    Channel fresh;
    if (m_product && m_product->ic()) {
        const QList<XmlValueRegister*> registers = m_product->ic()->registers();
        for (const XmlValueRegister* reg : registers)
            fresh.registers.insert(reg->address(), reg->defaultValue());
    }
    if (m_product) {
        const QList<XmlParameterInterface*> parameters = m_product->parameters();
        for (const XmlParameterInterface* parameter : parameters)
            fresh.parameters.insert(parameter->role(), parameter->defaultValue());
    }
    Channel& created = m_channels.insert(number, fresh).value();
    settleMotion(number);
    return created;
}

void SimulatedDevice::settleMotion(quint8 number)
{
    // A motion starts only when the target changes, so the defaults are
    // where the motor stands.
    Channel& state = m_channels[number];
    state.lastTarget = qint32(quint32(quint64(motionValue(number, Target, 0))));
    state.shownActual = qint32(quint32(quint64(motionValue(number, Actual, 0))));
    state.motion.position = state.shownActual;
    state.base = state.shownActual;
    state.relative = 0;
}

quint32 SimulatedDevice::readRegister(quint8 channel, quint16 address)
{
    return this->channel(channel).registers.value(address, 0);
}

void SimulatedDevice::writeRegister(quint8 channel, quint16 address, quint32 value)
{
    this->channel(channel).registers.insert(address, value);
}

qint64 SimulatedDevice::readParameter(quint8 motor, const XmlParameterInterface& parameter)
{
    return channel(motor).parameters.value(parameter.role(), parameter.defaultValue());
}

qint64 SimulatedDevice::writeParameter(quint8 motor, const XmlParameterInterface& parameter, qint64 value)
{
    qint64 kept = qBound(parameter.minimum(), value, parameter.maximum());
    if (parameter.granularity() > 1)
        kept -= kept % parameter.granularity(); // towards zero for either sign
    channel(motor).parameters.insert(parameter.role(), kept);
    return kept;
}

void SimulatedDevice::moveTo(quint8 motor, qint32 position)
{
    writeMotionValue(motor, Target, position);
    // A move command starts a motion even to the target it already has.
    Channel& state = channel(motor);
    state.lastTarget = position;
    state.moving = true;
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
    const XmlProductIC* ic = m_product ? m_product->ic() : nullptr;
    if (const XmlValueRegister* reg = ic ? ic->getRegisterByName(name, true) : nullptr) {
        writeRegister(motor, reg->address(), quint32(quint64(value)));
    } else if (const XmlValueRegisterField* field = ic ? ic->getRegisterFieldByName(name, true) : nullptr) {
        const XmlValueRegister* reg = field->getRegister();
        if (!reg)
            return false;
        writeRegister(motor, reg->address(), field->insertFieldValue(readRegister(motor, reg->address()), value));
    } else if (const XmlParameterInterface* parameter = m_product ? m_product->parameter(name) : nullptr) {
        channel(motor).parameters.insert(parameter->role(), value);
    } else {
        if (error)
            *error = QStringLiteral("the device has no register, field or parameter \"%1\"").arg(name);
        return false;
    }
    emit valueWritten(motor);
    return true;
}

bool SimulatedDevice::value(quint8 motor, const QString& name, qint64* value, QString* error)
{
    const XmlProductIC* ic = m_product ? m_product->ic() : nullptr;
    qint64 result = 0;
    if (const XmlValueRegister* reg = ic ? ic->getRegisterByName(name, true) : nullptr) {
        result = qint32(readRegister(motor, reg->address()));
    } else if (const XmlValueRegisterField* field = ic ? ic->getRegisterFieldByName(name, true) : nullptr) {
        result = field->getRegister() ? field->getFieldValue(readRegister(motor, field->getRegister()->address())) : 0;
    } else if (const XmlParameterInterface* parameter = m_product ? m_product->parameter(name) : nullptr) {
        result = readParameter(motor, *parameter);
    } else {
        if (error)
            *error = QStringLiteral("the device has no register, field or parameter \"%1\"").arg(name);
        return false;
    }
    if (value)
        *value = result;
    return true;
}

RampGenerator::State SimulatedDevice::motionState(quint8 motor) const
{
    return m_channels.value(motor).motion;
}

RampGenerator::State SimulatedDevice::currentMotion(quint8 motor)
{
    const Channel& state = channel(motor);
    const qint32 shown = qint32(quint32(quint64(motionValue(motor, Actual, 0))));
    // A counter written from outside puts the motor where it says.
    const double fraction = shown == state.shownActual ? state.fraction : 0;
    return RampGenerator::State{double(shown) + fraction, state.motion.velocity};
}

qint64 SimulatedDevice::motionValue(quint8 motor, const QString& role, qint64 fallback)
{
    for (int known = 0; known < RoleCount; ++known) {
        if (role == QLatin1String(kRoleNames[known]))
            return motionValue(motor, Role(known), fallback);
    }
    // A role the motion itself does not use, by its name.
    const auto source = m_motion.sources.constFind(role);
    qint64 result = fallback;
    if (m_product && source != m_motion.sources.constEnd())
        value(motor, source->name, &result);
    return result;
}

const SimulatedDevice::Binding& SimulatedDevice::binding(Role role)
{
    Binding& found = m_bindings[role];
    const XmlProductIC* ic = m_product ? m_product->ic() : nullptr;
    const bool stale = !found.resolved || found.ic != ic || (ic && found.revision != ic->revision())
                       || (found.hadParameter && !found.parameter);
    if (found.wired && m_product && stale) {
        const QString& name = found.source.name;
        found.resolved = true;
        found.ic = ic;
        found.revision = ic ? ic->revision() : 0;
        found.reg = ic ? ic->getRegisterByName(name, true) : nullptr;
        found.field = ic ? ic->getRegisterFieldByName(name, true) : nullptr;
        found.parameter = m_product->parameter(name);
        found.hadParameter = found.parameter;
    }
    return found;
}

qint64 SimulatedDevice::motionValue(quint8 motor, Role role, qint64 fallback)
{
    const Binding& found = binding(role);
    if (!found.wired || !m_product)
        return fallback;
    if (found.reg)
        return qint32(readRegister(motor, found.reg->address()));
    if (found.field) {
        const XmlValueRegister* reg = found.field->getRegister();
        return reg ? found.field->getFieldValue(readRegister(motor, reg->address())) : 0;
    }
    if (found.parameter)
        return readParameter(motor, *found.parameter);
    return fallback;
}

void SimulatedDevice::writeMotionValue(quint8 motor, Role role, qint64 value)
{
    const Binding& found = binding(role);
    if (!found.wired || !m_product)
        return;
    switch (found.source.kind) {
    case MotionWiring::Source::Parameter:
        channel(motor).parameters.insert(found.source.name, value);
        break;
    case MotionWiring::Source::Register:
        if (found.reg)
            writeRegister(motor, found.reg->address(), quint32(quint64(value)));
        break;
    case MotionWiring::Source::Field:
        if (found.field && found.field->getRegister()) {
            const quint16 address = found.field->getRegister()->address();
            writeRegister(motor, address, found.field->insertFieldValue(readRegister(motor, address), value));
        }
        break;
    }
}

RampGenerator::Settings SimulatedDevice::motionSettings(quint8 motor)
{
    RampGenerator::Settings settings;
    settings.profile = m_motion.profile;
    const Binding& mode = binding(Mode);
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

namespace {
bool sameRamp(const RampGenerator::Settings& a, const RampGenerator::Settings& b)
{
    return a.profile == b.profile && a.positionMode == b.positionMode && a.rampEnabled == b.rampEnabled
           && a.vStart == b.vStart && a.a1 == b.a1 && a.v1 == b.v1 && a.a2 == b.a2 && a.v2 == b.v2 && a.aMax == b.aMax
           && a.vMax == b.vMax && a.dMax == b.dMax && a.d2 == b.d2 && a.d1 == b.d1 && a.vStop == b.vStop;
}

qint32 movedOn(qint32 counter, qint64 positions)
{
    return qint32(quint32(counter) + quint32(quint64(positions))); // 32-bit wrap in unsigned arithmetic
}
} // namespace

bool SimulatedDevice::anchorCruise(Cruise& cruise, const RampGenerator::Settings& settings, qint32 target, qint32 base,
                                   const RampGenerator::State& relative)
{
    const double distance = double(qint32(quint32(target) - quint32(base)));
    const qint64 steps = RampGenerator::cruiseTicks(settings, distance, relative) / StepMs - 1;
    if (steps < 2) {
        cruise.unsettled = false;
        return false;
    }
    // A step of whole positions that leaves the fraction as it was is the
    // same step over and over (the built-in ramps, from their second step of
    // cruise on). Otherwise the step runs ticked once, and from the next
    // boundary on the cruise runs what VMAX travels in a step.
    RampGenerator::State once = relative;
    RampGenerator::step(settings, distance, once, StepMs / 1000.0);
    const qint64 whole = std::llround(once.position);
    const bool same = once.position - double(whole) == relative.position && once.velocity == relative.velocity;
    if (same) {
        cruise.whole = whole;
        cruise.fraction = 0;
    } else if (cruise.unsettled) {
        const double travel = relative.velocity * StepMs / 1000.0;
        cruise.whole = std::llround(travel);
        cruise.fraction = travel - double(cruise.whole);
    } else {
        cruise.unsettled = true;
        return false;
    }
    cruise.on = true;
    cruise.unsettled = false;
    cruise.base = base;
    cruise.relative = relative.position;
    cruise.steps = steps;
    cruise.done = 0;
    cruise.target = target;
    cruise.settings = settings;
    return true;
}

void SimulatedDevice::placeOnCruise(const Cruise& cruise, qint32& base, RampGenerator::State& relative)
{
    // A whole number of positions a step leaves the fraction exactly where it was.
    const double run = cruise.relative + double(cruise.done) * cruise.fraction;
    const qint64 carried = cruise.fraction == 0 ? 0 : std::llround(run);
    base = movedOn(movedOn(cruise.base, carried), qint64(quint64(cruise.done) * quint64(cruise.whole)));
    relative.position = run - double(carried);
}

void SimulatedDevice::stepMotion(quint8 motor, int milliseconds)
{
    if (!m_product || !m_bindings[Target].wired || !m_bindings[Actual].wired)
        return;
    Channel& state = channel(motor);
    const qint32 target = qint32(quint32(quint64(motionValue(motor, Target, 0))));
    const qint32 shown = qint32(quint32(quint64(motionValue(motor, Actual, 0))));
    // The counter was written (cleared) from outside: the motor stands there now.
    if (shown != state.shownActual) {
        state.shownActual = shown;
        state.fraction = 0;
        state.base = shown;
        state.relative = 0;
        state.cruise = Cruise();
    }
    if (target != state.lastTarget) {
        state.lastTarget = target;
        state.moving = true;
        emit moveStarted(motor, m_timeMs);
    }
    if (!state.moving) {
        state.motion.position = shown + state.fraction;
        return;
    }
    // The motion runs relative to a counter value, towards the target the
    // short way round the 32-bit counter, and moves that value on by whole
    // positions at each step boundary of device time. The boundaries are
    // fixed in device time, so the arithmetic, down to its rounding, does not
    // depend on how the time is cut.
    const RampGenerator::Settings settings = motionSettings(motor);
    Cruise& cruise = state.cruise;
    if (cruise.on && (cruise.target != target || !sameRamp(cruise.settings, settings)))
        cruise = Cruise(); // a new target or ramp: the cruise planned for the old one ends
    RampGenerator::State relative{state.relative, state.motion.velocity};
    const qint64 end = m_timeMs + milliseconds;
    qint64 time = m_timeMs;
    bool arrived = false;
    while (time < end && !arrived) {
        const qint64 boundary = (time / StepMs + 1) * StepMs;
        if (time % StepMs == 0) {
            if (cruise.on && cruise.done == cruise.steps)
                cruise.on = false;
            // A cruise's steps are crossed at once, as many as the time holds.
            if (cruise.on || anchorCruise(cruise, settings, target, state.base, relative)) {
                const qint64 steps = qMin(cruise.steps - cruise.done, (end - time) / StepMs);
                if (steps > 0) {
                    cruise.done += steps;
                    placeOnCruise(cruise, state.base, relative);
                    time += steps * StepMs;
                    continue;
                }
            }
        }
        const qint64 until = qMin(end, boundary);
        long long ticks = 0;
        const double distance = double(qint32(quint32(target) - quint32(state.base)));
        arrived = RampGenerator::step(settings, distance, relative, double(until - time) / 1000.0, &ticks);
        if (arrived) {
            // On the target exactly: the counter is the target.
            state.base = target;
            relative.position = 0;
            cruise = Cruise();
            time += ticks; // the end of the tick it arrived in
        } else if (until == boundary && cruise.on) {
            // The step began a time cut short ago runs to where the cruise puts it.
            ++cruise.done;
            placeOnCruise(cruise, state.base, relative);
            time = until;
        } else if (until == boundary) {
            const qint64 whole = std::llround(relative.position);
            state.base = movedOn(state.base, whole);
            relative.position -= double(whole);
            time = until;
        } else {
            time = until;
        }
    }
    state.moving = !arrived;
    state.relative = relative.position;
    // At a boundary the counter is the base; between two, the base moved on
    // by what has been run since, rounded.
    const qint64 whole = arrived || time % StepMs == 0 ? 0 : std::llround(relative.position);
    const qint32 next = movedOn(state.base, whole);
    state.fraction = relative.position - double(whole);
    state.shownActual = next;
    state.motion.position = double(next) + state.fraction;
    state.motion.velocity = relative.velocity;
    writeMotionValue(motor, Actual, next);
    const double scale = m_motion.velocityScale;
    writeMotionValue(motor, Velocity, std::llround(state.motion.velocity / scale));
    if (arrived)
        emit moveArrived(motor, time);
}
