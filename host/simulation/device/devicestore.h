// SPDX-License-Identifier: MIT
#pragma once

#include "model/xmlparameterinterface.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <QHash>
#include <QPointer>
#include <QString>

#include <functional>

class ProductDescription;
class XmlProductIC;

// The values a simulated device holds: a register file per channel and an
// axis-parameter store per motor, each starting from the product's defaults
// the first time it is used. Registers keep every bit written to them.
//
// A name (of a register, a field or a parameter role) is resolved to where
// its value lives once, and again only when the product's register map or
// parameter list has changed.
class DeviceStore
{
public:
    // Where the value of a name lives: the first register of that name, else
    // the first field, else the parameter of that role.
    class Place
    {
    public:
        Place() = default;
        explicit Place(const QString& name)
            : m_name(name)
        {
        }

        const QString& name() const { return m_name; }
        const XmlValueRegister* reg() const { return m_register; }
        const XmlValueRegisterField* field() const { return m_field; }
        const XmlParameterInterface* parameter() const { return m_parameter; }
        bool found() const { return m_register || m_field || m_parameter; }

    private:
        friend class DeviceStore;

        QString m_name;
        bool m_resolved = false;
        QPointer<const XmlProductIC> m_ic; // the map the pointers below were found in,
        quint64 m_icRevision = 0;          // at this revision of it
        quint64 m_productRevision = 0;
        QPointer<const XmlValueRegister> m_register;
        QPointer<const XmlValueRegisterField> m_field;
        QPointer<const XmlParameterInterface> m_parameter;
    };

    // Called with a channel's number right after the channel took the product's defaults.
    using ChannelCreated = std::function<void(quint8 channel)>;

    DeviceStore(const ProductDescription& product, ChannelCreated created);

    const ProductDescription* product() const { return m_product; }
    // Makes a channel from the product's defaults unless it is there; every
    // access below does so first.
    void open(quint8 channel) { this->channel(channel); }

    // The place of `name`, resolved once and kept while it holds something;
    // the reference holds until the next call.
    const Place& place(const QString& name);
    // A place kept by the caller, brought up to date with the product.
    const Place& resolved(Place& place) const;

    // Reads or writes what a place holds: a register as 32 bits, a field
    // within its register, a parameter as it is given. False when the place
    // holds nothing (or, writing, a field outside any register).
    bool read(quint8 channel, const Place& place, qint64* value);
    bool write(quint8 channel, const Place& place, qint64 value);

    quint32 readRegister(quint8 channel, quint16 address);
    void writeRegister(quint8 channel, quint16 address, quint32 value);
    // False when the field lies in no register.
    bool writeField(quint8 channel, const XmlValueRegisterField& field, qint64 value);
    qint64 readParameter(quint8 channel, const XmlParameterInterface& parameter);
    // As the module writes a parameter: returns the value kept, clamped to
    // the parameter's range and rounded towards zero to its granularity.
    qint64 writeParameter(quint8 channel, const XmlParameterInterface& parameter, qint64 value);
    // Keeps the value by the parameter's role as it is given.
    void setParameter(quint8 channel, const QString& role, qint64 value);

private:
    struct Channel
    {
        QHash<quint16, quint32> registers;
        QHash<QString, qint64> parameters;
    };

    Channel& channel(quint8 number);

    QPointer<const ProductDescription> m_product;
    ChannelCreated m_created;
    QHash<quint8, Channel> m_channels;
    QHash<QString, Place> m_places;
    Place m_nowhere;
};
