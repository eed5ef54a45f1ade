// SPDX-License-Identifier: MIT
#pragma once

#include "xmlvalueinterface.h"

#include <QList>

class XmlProductIC;
class XmlValueRegisterField;

// One 32-bit register of an IC, with the fields laid into it.
class XmlValueRegister : public XmlValueInterface
{
    Q_OBJECT

public:
    XmlValueRegister(const QString& name, quint16 address, quint32 defaultValue, XmlProductIC* ic);

    quint16 address() const { return m_address; }
    quint32 defaultValue() const { return m_defaultValue; }
    XmlProductIC* ic() const;
    QList<XmlValueRegisterField*> fields() const;

private:
    quint16 m_address;
    quint32 m_defaultValue;
};
