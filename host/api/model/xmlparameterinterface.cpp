// SPDX-License-Identifier: MIT
#include "xmlparameterinterface.h"

XmlParameterInterface::XmlParameterInterface(const Description& description, QObject* parent)
    : QObject(parent)
    , m_description(description)
{
    setObjectName(description.role);
}
