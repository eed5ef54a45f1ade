// SPDX-License-Identifier: MIT
#pragma once

#include "zyraparameter.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class ProductDescription;
class XmlParameterInterface;
class ZYRAModuleInterface;

namespace Model {

// The axis parameters of one motor, one member per role. A member is null when
// the product does not describe that role; it owns the parameters it holds.
class ParameterController : public QObject
{
    Q_OBJECT

public:
    ParameterController(const ProductDescription& product, ZYRAModuleInterface* module, quint8 motor, QObject* parent);

    // Every role a product may describe, in member order.
    static QStringList roles();

    ZYRAParameter* parameter(const QString& role) const;
    ZYRAParameter* parameterOf(const XmlParameterInterface* description) const;
    QList<ZYRAParameter*> parameters() const;
    quint8 motor() const { return m_motor; }

    QPointer<ZYRAParameter> targetPosition;
    QPointer<ZYRAParameter> actualPosition;
    QPointer<ZYRAParameter> maxVelocity;
    QPointer<ZYRAParameter> acceleration;
    QPointer<ZYRAParameter> deceleration;
    QPointer<ZYRAParameter> decelerationAlternative;
    QPointer<ZYRAParameter> linearTargetPosition;
    QPointer<ZYRAParameter> linearActualPosition;
    QPointer<ZYRAParameter> linearMaxVelocity;
    QPointer<ZYRAParameter> linearAcceleration;
    QPointer<ZYRAParameter> linearDeceleration;
    QPointer<ZYRAParameter> rampEnable;
    QPointer<ZYRAParameter> clearOnNull1;
    QPointer<ZYRAParameter> clearOnNull2;
    QPointer<ZYRAParameter> commutationMode;
    QPointer<ZYRAParameter> rampVStart;
    QPointer<ZYRAParameter> rampA1;
    QPointer<ZYRAParameter> rampV1;
    QPointer<ZYRAParameter> rampA2;
    QPointer<ZYRAParameter> rampV2;
    QPointer<ZYRAParameter> rampAMax;
    QPointer<ZYRAParameter> rampD2;
    QPointer<ZYRAParameter> rampD1;
    QPointer<ZYRAParameter> rampVStop;
    QPointer<ZYRAParameter> velocityFeedForwardEnable;
    QPointer<ZYRAParameter> accelerationFeedForwardEnable;
    QPointer<ZYRAParameter> accelerationFeedForwardGain;
    QPointer<ZYRAParameter> accelerationFeedForwardShift;

private:
    QPointer<ZYRAParameter>* member(const QString& role);
    const QPointer<ZYRAParameter>* member(const QString& role) const;

    quint8 m_motor;
};

} // namespace Model
