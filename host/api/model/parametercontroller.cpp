// SPDX-License-Identifier: MIT
#include "parametercontroller.h"

#include "productdescription.h"
#include "xmlparameterinterface.h"

#include <utility>

namespace Model {

namespace {
using Member = QPointer<ZYRAParameter> ParameterController::*;

const std::pair<const char*, Member> kMembers[] = {
    {"targetPosition", &ParameterController::targetPosition},
    {"actualPosition", &ParameterController::actualPosition},
    {"maxVelocity", &ParameterController::maxVelocity},
    {"acceleration", &ParameterController::acceleration},
    {"deceleration", &ParameterController::deceleration},
    {"decelerationAlternative", &ParameterController::decelerationAlternative},
    {"linearTargetPosition", &ParameterController::linearTargetPosition},
    {"linearActualPosition", &ParameterController::linearActualPosition},
    {"linearMaxVelocity", &ParameterController::linearMaxVelocity},
    {"linearAcceleration", &ParameterController::linearAcceleration},
    {"linearDeceleration", &ParameterController::linearDeceleration},
    {"rampEnable", &ParameterController::rampEnable},
    {"clearOnNull1", &ParameterController::clearOnNull1},
    {"clearOnNull2", &ParameterController::clearOnNull2},
    {"commutationMode", &ParameterController::commutationMode},
    {"rampVStart", &ParameterController::rampVStart},
    {"rampA1", &ParameterController::rampA1},
    {"rampV1", &ParameterController::rampV1},
    {"rampA2", &ParameterController::rampA2},
    {"rampV2", &ParameterController::rampV2},
    {"rampAMax", &ParameterController::rampAMax},
    {"rampD2", &ParameterController::rampD2},
    {"rampD1", &ParameterController::rampD1},
    {"rampVStop", &ParameterController::rampVStop},
    {"velocityFeedForwardEnable", &ParameterController::velocityFeedForwardEnable},
    {"accelerationFeedForwardEnable", &ParameterController::accelerationFeedForwardEnable},
    {"accelerationFeedForwardGain", &ParameterController::accelerationFeedForwardGain},
    {"accelerationFeedForwardShift", &ParameterController::accelerationFeedForwardShift},
};
} // namespace

ParameterController::ParameterController(const ProductDescription& product, ZYRAModuleInterface* module, quint8 motor,
                                         QObject* parent)
    : QObject(parent)
    , m_motor(motor)
{
    const QList<XmlParameterInterface*> descriptions = product.parameters();
    for (XmlParameterInterface* description : descriptions) {
        if (QPointer<ZYRAParameter>* slot = member(description->role()))
            *slot = new ZYRAParameter(description, module, motor, this);
    }
}

QStringList ParameterController::roles()
{
    QStringList names;
    for (const auto& entry : kMembers)
        names.append(QLatin1String(entry.first));
    return names;
}

QPointer<ZYRAParameter>* ParameterController::member(const QString& role)
{
    for (const auto& entry : kMembers) {
        if (role == QLatin1String(entry.first))
            return &(this->*entry.second);
    }
    return nullptr;
}

const QPointer<ZYRAParameter>* ParameterController::member(const QString& role) const
{
    return const_cast<ParameterController*>(this)->member(role);
}

ZYRAParameter* ParameterController::parameter(const QString& role) const
{
    const QPointer<ZYRAParameter>* slot = member(role);
    return slot ? slot->data() : nullptr;
}

ZYRAParameter* ParameterController::parameterOf(const XmlParameterInterface* description) const
{
    return description ? parameter(description->role()) : nullptr;
}

QList<ZYRAParameter*> ParameterController::parameters() const
{
    QList<ZYRAParameter*> result;
    for (const auto& entry : kMembers) {
        if (ZYRAParameter* parameter = this->*entry.second)
            result.append(parameter);
    }
    return result;
}

} // namespace Model
