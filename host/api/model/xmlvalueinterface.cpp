// SPDX-License-Identifier: MIT
#include "xmlvalueinterface.h"

XmlValueInterface::XmlValueInterface(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
{
    setObjectName(name);
}
