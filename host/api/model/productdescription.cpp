// SPDX-License-Identifier: MIT
#include "productdescription.h"

#include "xmlparameterinterface.h"
#include "xmlproductic.h"
#include "xmlproductmodule.h"
#include "xmlvalueregister.h"
#include "xmlvalueregisterfield.h"

ProductDescription::ProductDescription(const Identity& identity, QObject* parent)
    : QObject(parent)
    , m_identity(identity)
{
}

ProductDescription::~ProductDescription() = default;

XmlProductModule* ProductDescription::productModule() const
{
    return m_module;
}

XmlProductIC* ProductDescription::ic() const
{
    return m_ic;
}

QList<XmlParameterInterface*> ProductDescription::parameters() const
{
    QList<XmlParameterInterface*> live;
    for (const QPointer<XmlParameterInterface>& parameter : m_parameters) {
        if (parameter)
            live.append(parameter);
    }
    return live;
}

XmlParameterInterface* ProductDescription::parameter(const QString& role) const
{
    for (const QPointer<XmlParameterInterface>& parameter : m_parameters) {
        if (parameter && parameter->role() == role)
            return parameter;
    }
    return nullptr;
}

ProductDescription::Named ProductDescription::named(const QString& name) const
{
    Named found;
    if (m_ic) {
        found.reg = m_ic->getRegisterByName(name, true);
        found.field = m_ic->getRegisterFieldByName(name, true);
    }
    found.parameter = parameter(name);
    return found;
}

QObject* ProductDescription::Named::first() const
{
    if (reg)
        return reg;
    if (field)
        return field;
    return parameter;
}

void ProductDescription::setProductModule(XmlProductModule* module)
{
    m_module = module;
    if (module)
        module->setParent(this);
}

void ProductDescription::setIc(XmlProductIC* ic)
{
    m_ic = ic;
    ++m_revision;
    if (ic)
        ic->setParent(this);
}

void ProductDescription::addParameter(XmlParameterInterface* parameter)
{
    if (!parameter)
        return;
    parameter->setParent(this);
    m_parameters.append(parameter);
    ++m_revision;
    connect(parameter, &QObject::destroyed, this, [this] { ++m_revision; });
}
