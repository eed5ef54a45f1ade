// SPDX-License-Identifier: MIT
#include "xmlproductic.h"

#include "xmlvalueregister.h"
#include "xmlvalueregisterfield.h"

#include <QChildEvent>

XmlProductIC::XmlProductIC(const QString& name, QObject* parent)
    : QObject(parent)
{
    setObjectName(name);
}

XmlProductIC::~XmlProductIC() = default;

XmlValueRegister* XmlProductIC::getRegisterByName(const QString& name, bool) const
{
    return index().registerNamed.value(name);
}

XmlValueRegisterField* XmlProductIC::getRegisterFieldByName(const QString& name, bool) const
{
    return index().fieldNamed.value(name);
}

XmlValueRegister* XmlProductIC::registerAt(quint16 address) const
{
    return index().registerAt.value(address);
}

QList<XmlValueRegister*> XmlProductIC::registers() const
{
    return index().registers;
}

QList<XmlValueRegisterField*> XmlProductIC::fields() const
{
    return index().fields;
}

void XmlProductIC::childEvent(QChildEvent* event)
{
    // A child being added is not yet of its final class; the index is made
    // again on the next lookup, when it is.
    if (event->added() || event->removed()) {
        m_index.reset();
        ++m_revision;
    }
    QObject::childEvent(event);
}

const XmlProductIC::Index& XmlProductIC::index() const
{
    if (m_index)
        return *m_index;
    m_index = std::make_unique<Index>();
    Index& made = *m_index;
    for (QObject* child : children()) {
        if (auto* reg = qobject_cast<XmlValueRegister*>(child)) {
            made.registers.append(reg);
            if (!made.registerNamed.contains(reg->name()))
                made.registerNamed.insert(reg->name(), reg);
            if (!made.registerAt.contains(reg->address()))
                made.registerAt.insert(reg->address(), reg);
        } else if (auto* field = qobject_cast<XmlValueRegisterField*>(child)) {
            made.fields.append(field);
            if (!made.fieldNamed.contains(field->name()))
                made.fieldNamed.insert(field->name(), field);
        }
    }
    return made;
}
