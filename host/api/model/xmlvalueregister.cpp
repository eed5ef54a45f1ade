// SPDX-License-Identifier: MIT
#include "xmlvalueregister.h"

#include "xmlproductic.h"
#include "xmlvalueregisterfield.h"

XmlValueRegister::XmlValueRegister(const QString& name, quint16 address, quint32 defaultValue, XmlProductIC* ic)
    : XmlValueInterface(name, ic)
    , m_address(address)
    , m_defaultValue(defaultValue)
{
}

XmlProductIC* XmlValueRegister::ic() const
{
    return qobject_cast<XmlProductIC*>(parent());
}

QList<XmlValueRegisterField*> XmlValueRegister::fields() const
{
    QList<XmlValueRegisterField*> result;
    if (const XmlProductIC* owner = ic()) {
        const QList<XmlValueRegisterField*> all = owner->fields();
        for (XmlValueRegisterField* field : all) {
            if (field->getRegister() == this)
                result.append(field);
        }
    }
    return result;
}
