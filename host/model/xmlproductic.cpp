#include "xmlproductic.h"

#include "xmlvalueregister.h"
#include "xmlvalueregisterfield.h"

XmlProductIC::XmlProductIC(const QString& name, QObject* parent)
    : QObject(parent)
{
    setObjectName(name);
}

XmlValueRegister* XmlProductIC::getRegisterByName(const QString& name, bool) const
{
    const QList<XmlValueRegister*> all = registers();
    for (XmlValueRegister* reg : all) {
        if (reg->name() == name)
            return reg;
    }
    return nullptr;
}

XmlValueRegisterField* XmlProductIC::getRegisterFieldByName(const QString& name, bool) const
{
    const QList<XmlValueRegisterField*> all = fields();
    for (XmlValueRegisterField* field : all) {
        if (field->name() == name)
            return field;
    }
    return nullptr;
}

XmlValueRegister* XmlProductIC::registerAt(quint16 address) const
{
    const QList<XmlValueRegister*> all = registers();
    for (XmlValueRegister* reg : all) {
        if (reg->address() == address)
            return reg;
    }
    return nullptr;
}

QList<XmlValueRegister*> XmlProductIC::registers() const
{
    return findChildren<XmlValueRegister*>(QString(), Qt::FindDirectChildrenOnly);
}

QList<XmlValueRegisterField*> XmlProductIC::fields() const
{
    return findChildren<XmlValueRegisterField*>(QString(), Qt::FindDirectChildrenOnly);
}
