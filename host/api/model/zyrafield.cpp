// SPDX-License-Identifier: MIT
#include "zyrafield.h"

#include "core/zyramoduleinterface.h"
#include "xmlvalueregister.h"
#include "xmlvalueregisterfield.h"

namespace Model {

ZYRAField::ZYRAField(XmlValueRegisterField* field, ZYRAModuleInterface* module, quint8 channel, QObject* parent)
    : QObject(parent)
    , m_field(field)
    , m_module(module)
    , m_channel(channel)
{
    if (field) {
        setObjectName(field->name());
        if (const XmlValueRegister* reg = field->getRegister())
            m_lastKnown = int(field->getFieldValue(reg->defaultValue()));
    }
}

int ZYRAField::value(bool* ok)
{
    const bool possible = exists();
    if (ok)
        *ok = possible;
    if (!possible)
        return m_lastKnown;
    // The module feeds the value back through takeValue.
    return int(m_module->readField(m_field, m_channel, DeviceAccess::Journaled));
}

void ZYRAField::setValue(int value)
{
    if (exists())
        m_module->writeField(m_field, m_channel, value);
}

bool ZYRAField::exists() const
{
    return m_field && m_field->isAvailable() && m_field->getRegister() && m_module;
}

qint64 ZYRAField::minimum() const
{
    return m_field ? m_field->minimum() : 0;
}

qint64 ZYRAField::maximum() const
{
    return m_field ? m_field->maximum() : 0;
}

QString ZYRAField::addressHexString() const
{
    const XmlValueRegister* reg = m_field ? m_field->getRegister() : nullptr;
    if (!reg)
        return QString();
    return QStringLiteral("0x") + QStringLiteral("%1").arg(reg->address(), 4, 16, QLatin1Char('0')).toUpper();
}

XmlValueInterface* ZYRAField::xmlParameter() const
{
    return m_field;
}

void ZYRAField::takeValue(int value, bool fromRead)
{
    const bool changed = !m_known || value != m_lastKnown;
    m_known = true;
    m_lastKnown = value;
    if (fromRead)
        emit valueUpdated(value);
    if (changed)
        emit valueChanged(value);
}

} // namespace Model
