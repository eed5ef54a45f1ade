#include "simulateddevice.h"

#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <cmath>

SimulatedDevice::SimulatedDevice(const ProductDescription& product, QObject* parent)
    : QObject(parent)
    , m_product(&product)
{
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
    return m_channels.insert(number, fresh).value();
}

quint32 SimulatedDevice::readRegister(quint8 number, quint16 address)
{
    return channel(number).registers.value(address, 0);
}

void SimulatedDevice::writeRegister(quint8 number, quint16 address, quint32 value)
{
    channel(number).registers.insert(address, value);
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
    writeMotionValue(motor, QStringLiteral("target"), position);
}

void SimulatedDevice::advance(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    m_timeMs += milliseconds;
    const int motors = m_product ? m_product->motors() : 1;
    for (int motor = 0; motor < motors; ++motor)
        stepMotion(quint8(motor), milliseconds / 1000.0);
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
    // A position set from outside is where the motor now stands.
    const ProductDescription::Motion& motion = m_product->motion();
    const auto actual = motion.sources.constFind(QStringLiteral("actual"));
    if (actual != motion.sources.constEnd() && actual->name == name)
        channel(motor).motion.position = double(qint32(quint32(quint64(value))));
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

qint64 SimulatedDevice::motionValue(quint8 motor, const QString& role, qint64 fallback)
{
    if (!m_product)
        return fallback;
    const auto source = m_product->motion().sources.constFind(role);
    if (source == m_product->motion().sources.constEnd())
        return fallback;
    qint64 result = fallback;
    value(motor, source->name, &result);
    return result;
}

void SimulatedDevice::writeMotionValue(quint8 motor, const QString& role, qint64 value)
{
    if (!m_product)
        return;
    const auto source = m_product->motion().sources.constFind(role);
    if (source == m_product->motion().sources.constEnd())
        return;
    const XmlProductIC* ic = m_product->ic();
    if (source->kind == ProductDescription::MotionSource::Parameter) {
        channel(motor).parameters.insert(source->name, value);
    } else if (source->kind == ProductDescription::MotionSource::Register && ic) {
        if (const XmlValueRegister* reg = ic->getRegisterByName(source->name, true))
            writeRegister(motor, reg->address(), quint32(quint64(value)));
    } else if (ic) {
        const XmlValueRegisterField* field = ic->getRegisterFieldByName(source->name, true);
        if (field && field->getRegister()) {
            const quint16 address = field->getRegister()->address();
            writeRegister(motor, address, field->insertFieldValue(readRegister(motor, address), value));
        }
    }
}

RampGenerator::Settings SimulatedDevice::motionSettings(quint8 motor)
{
    RampGenerator::Settings settings;
    const ProductDescription::Motion& motion = m_product->motion();
    switch (motion.profile) {
    case ProductDescription::Motion::Direct:
        settings.profile = RampGenerator::Profile::Direct;
        break;
    case ProductDescription::Motion::Trapezoid:
        settings.profile = RampGenerator::Profile::Trapezoid;
        break;
    case ProductDescription::Motion::EightPoint:
        settings.profile = RampGenerator::Profile::EightPoint;
        break;
    }
    const auto mode = motion.sources.constFind(QStringLiteral("mode"));
    if (mode != motion.sources.constEnd())
        settings.positionMode = motionValue(motor, QStringLiteral("mode"), mode->value) == mode->value;
    settings.rampEnabled = motionValue(motor, QStringLiteral("rampEnable"), 1) != 0;
    const auto read = [&](const char* role) { return double(motionValue(motor, QLatin1String(role), 0)); };
    settings.vStart = read("vStart");
    settings.a1 = read("a1");
    settings.v1 = read("v1");
    settings.a2 = read("a2");
    settings.v2 = read("v2");
    settings.aMax = read("aMax");
    settings.vMax = read("vMax");
    settings.dMax = read("dMax");
    settings.d2 = read("d2");
    settings.d1 = read("d1");
    settings.vStop = read("vStop");
    return settings;
}

void SimulatedDevice::stepMotion(quint8 motor, double seconds)
{
    if (!m_product || !m_product->motion().sources.contains(QStringLiteral("target"))
        || !m_product->motion().sources.contains(QStringLiteral("actual")))
        return;
    Channel& state = channel(motor);
    const qint32 target = qint32(quint32(quint64(motionValue(motor, QStringLiteral("target"), 0))));
    const qint32 shown = qint32(quint32(quint64(motionValue(motor, QStringLiteral("actual"), 0))));
    // The counter may have been written (cleared) since the last step.
    if (qint32(quint32(quint64(std::llround(state.motion.position)))) != shown)
        state.motion.position = shown;
    // The distance to go the short way round the 32-bit counter.
    const qint32 distance = qint32(quint32(target) - quint32(shown));
    RampGenerator::State relative = state.motion;
    relative.position = state.motion.position - shown;
    RampGenerator::step(motionSettings(motor), double(distance), relative, seconds);
    const double moved = relative.position;
    state.motion.velocity = relative.velocity;
    const qint64 whole = std::llround(moved);
    const qint32 next = qint32(quint32(shown) + quint32(quint64(whole)));
    state.motion.position = double(next) + (moved - double(whole));
    writeMotionValue(motor, QStringLiteral("actual"), next);
    writeMotionValue(motor, QStringLiteral("velocity"), std::llround(state.motion.velocity));
}
