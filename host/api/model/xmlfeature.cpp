// SPDX-License-Identifier: MIT
#include "xmlfeature.h"

XmlFeature::XmlFeature(const QString& category, quint8 index, const QString& name, const QString& value, QObject* parent)
    : QObject(parent)
    , m_category(category)
    , m_index(index)
    , m_value(value)
{
    setObjectName(name);
}
