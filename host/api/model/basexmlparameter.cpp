// SPDX-License-Identifier: MIT
#include "basexmlparameter.h"

#include "core/zyramoduleinterface.h"
#include "xmlparameterinterface.h"

namespace Model {

BaseXMLParameter::BaseXMLParameter(XmlParameterInterface* description, ZYRAModuleInterface* module, quint8 motor,
                                   QObject* parent)
    : AbstractParameter(parent)
    , m_description(description)
    , m_module(module)
    , m_motor(motor)
{
    if (description) {
        setObjectName(description->role());
        m_lastKnown = description->defaultValue();
    }
}

bool BaseXMLParameter::exists() const
{
    return m_description && m_description->isAvailable() && m_module;
}

qint64 BaseXMLParameter::lastKnownValue() const
{
    return m_lastKnown;
}

qint64 BaseXMLParameter::minimum() const
{
    return m_description ? m_description->minimum() : 0;
}

qint64 BaseXMLParameter::maximum() const
{
    return m_description ? m_description->maximum() : 0;
}

int BaseXMLParameter::type() const
{
    return m_description ? m_description->number() : -1;
}

QString BaseXMLParameter::role() const
{
    return m_description ? m_description->role() : objectName();
}

qint64 BaseXMLParameter::readValue(bool cached)
{
    if (cached || !exists())
        return m_lastKnown;
    // The module feeds the value back through takeReadValue.
    return m_module->readParameter(m_description, m_motor, DeviceAccess::Journaled);
}

void BaseXMLParameter::writeValue(qint64 value)
{
    if (!exists())
        return;
    const qint64 kept = m_module->writeParameter(m_description, m_motor, value);
    if (kept != value)
        emit setValueFailed(kept);
}

void BaseXMLParameter::takeReadValue(qint64 value)
{
    const bool changed = !m_known || value != m_lastKnown;
    m_known = true;
    m_lastKnown = value;
    emit valueUpdated(value);
    if (changed)
        emit valueChanged(value);
}

void BaseXMLParameter::takeWrittenValue(qint64 value)
{
    const bool changed = !m_known || value != m_lastKnown;
    m_known = true;
    m_lastKnown = value;
    if (changed)
        emit valueChanged(value);
}

} // namespace Model
