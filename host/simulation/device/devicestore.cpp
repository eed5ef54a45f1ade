// SPDX-License-Identifier: MIT
#include "devicestore.h"

#include "model/productdescription.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

DeviceStore::DeviceStore(const ProductDescription& product, ChannelCreated created)
    : m_product(&product)
    , m_created(std::move(created))
{
}

const DeviceStore::Place& DeviceStore::place(const QString& name)
{
    const auto kept = m_places.find(name);
    if (kept != m_places.end())
        return resolved(kept.value());
    m_nowhere = Place(name);
    resolved(m_nowhere);
    // Only names that lead somewhere are kept, so that asking for names the
    // product does not have costs no memory.
    if (!m_nowhere.found())
        return m_nowhere;
    return m_places.insert(name, m_nowhere).value();
}

const DeviceStore::Place& DeviceStore::resolved(Place& place) const
{
    const XmlProductIC* ic = m_product ? m_product->ic() : nullptr;
    const quint64 productRevision = m_product ? m_product->revision() : 0;
    const bool stale = !place.m_resolved || place.m_ic != ic || (ic && place.m_icRevision != ic->revision())
                       || place.m_productRevision != productRevision;
    if (!stale)
        return place;
    place.m_resolved = true;
    place.m_ic = ic;
    place.m_icRevision = ic ? ic->revision() : 0;
    place.m_productRevision = productRevision;
    const ProductDescription::Named named = m_product ? m_product->named(place.m_name) : ProductDescription::Named();
    place.m_register = named.reg;
    place.m_field = named.field;
    place.m_parameter = named.parameter;
    return place;
}

bool DeviceStore::read(quint8 channel, const Place& place, qint64* value)
{
    qint64 result = 0;
    if (const XmlValueRegister* reg = place.reg()) {
        result = qint32(readRegister(channel, reg->address()));
    } else if (const XmlValueRegisterField* field = place.field()) {
        const XmlValueRegister* reg = field->getRegister();
        result = reg ? field->getFieldValue(readRegister(channel, reg->address())) : 0;
    } else if (const XmlParameterInterface* parameter = place.parameter()) {
        result = readParameter(channel, *parameter);
    } else {
        return false;
    }
    if (value)
        *value = result;
    return true;
}

bool DeviceStore::write(quint8 channel, const Place& place, qint64 value)
{
    if (const XmlValueRegister* reg = place.reg()) {
        writeRegister(channel, reg->address(), quint32(quint64(value)));
        return true;
    }
    if (const XmlValueRegisterField* field = place.field())
        return writeField(channel, *field, value);
    if (const XmlParameterInterface* parameter = place.parameter()) {
        setParameter(channel, parameter->role(), value);
        return true;
    }
    return false;
}

DeviceStore::Channel& DeviceStore::channel(quint8 number)
{
    auto it = m_channels.find(number);
    if (it != m_channels.end())
        return it.value();
    Channel fresh;
    if (m_product && m_product->ic()) {
        const QList<XmlValueRegister*> registers = m_product->ic()->registers();
        for (const XmlValueRegister* reg : registers)
            fresh.registers.insert(reg->address(), reg->defaultValue());
    }
    if (m_product) {
        const QList<XmlParameterInterface*> parameters = m_product->parameters();
        for (const XmlParameterInterface* parameter : parameters)
            fresh.parameters.insert(parameter->role(), parameter->defaultValue());
    }
    m_channels.insert(number, fresh);
    if (m_created)
        m_created(number);
    return m_channels[number];
}

quint32 DeviceStore::readRegister(quint8 channel, quint16 address)
{
    return this->channel(channel).registers.value(address, 0);
}

void DeviceStore::writeRegister(quint8 channel, quint16 address, quint32 value)
{
    this->channel(channel).registers.insert(address, value);
}

bool DeviceStore::writeField(quint8 channel, const XmlValueRegisterField& field, qint64 value)
{
    const XmlValueRegister* reg = field.getRegister();
    if (!reg)
        return false;
    writeRegister(channel, reg->address(), field.insertFieldValue(readRegister(channel, reg->address()), value));
    return true;
}

qint64 DeviceStore::readParameter(quint8 channel, const XmlParameterInterface& parameter)
{
    return this->channel(channel).parameters.value(parameter.role(), parameter.defaultValue());
}

qint64 DeviceStore::writeParameter(quint8 channel, const XmlParameterInterface& parameter, qint64 value)
{
    qint64 kept = qBound(parameter.minimum(), value, parameter.maximum());
    if (parameter.granularity() > 1)
        kept -= kept % parameter.granularity(); // towards zero for either sign
    setParameter(channel, parameter.role(), kept);
    return kept;
}

void DeviceStore::setParameter(quint8 channel, const QString& role, qint64 value)
{
    this->channel(channel).parameters.insert(role, value);
}
