// SPDX-License-Identifier: MIT
#pragma once

#include "abstractparameter.h"
#include "xmlparameterinterface.h"

#include <QPointer>

class XmlParameterInterface;
class ZYRAModuleInterface;

namespace Model {

// One axis parameter of one motor, described by the product and read and
// written on the device through the module.
class BaseXMLParameter : public AbstractParameter
{
    Q_OBJECT

public:
    BaseXMLParameter(XmlParameterInterface* description, ZYRAModuleInterface* module, quint8 motor, QObject* parent);

    // Whether the module offers this parameter.
    bool exists() const;
    // The value last read or written; the product's default before any access.
    qint64 lastKnownValue() const;
    qint64 minimum() const;
    qint64 maximum() const;
    // The parameter's number on the module.
    int type() const;
    QString role() const;
    quint8 motor() const { return m_motor; }
    XmlParameterInterface* xmlParameter() const { return m_description; }

    // Reads the device (or, with `cached`, only returns lastKnownValue()).
    virtual qint64 readValue(bool cached);
    // Writes the device; reports setValueFailed when it keeps another value.
    virtual void writeValue(qint64 value);

    // The module reports what the device gave for this parameter.
    void takeReadValue(qint64 value);
    void takeWrittenValue(qint64 value);

private:
    QPointer<XmlParameterInterface> m_description;
    QPointer<ZYRAModuleInterface> m_module;
    quint8 m_motor;
    qint64 m_lastKnown = 0;
    bool m_known = false;
};

} // namespace Model
