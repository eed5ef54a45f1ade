// SPDX-License-Identifier: MIT
#pragma once

#include "xmlvalueregisterfield.h"

#include <QObject>
#include <QPointer>

class XmlValueInterface;
class XmlValueRegisterField;
class ZYRAModuleInterface;

namespace Model {

// One register field of one channel, read and written on the device through
// the module. Its widgets follow its signals.
class ZYRAField : public QObject
{
    Q_OBJECT

public:
    ZYRAField(XmlValueRegisterField* field, ZYRAModuleInterface* module, quint8 channel, QObject* parent);

    // Reads the device; the answer also reaches every widget of the field.
    // `ok` (may be null) tells whether the read was made.
    int value(bool* ok);
    // Writes the device.
    void setValue(int value);

    // Whether the IC offers this field.
    bool exists() const;
    qint64 minimum() const;
    qint64 maximum() const;
    // The address of the field's register, e.g. "0x0024".
    QString addressHexString() const;
    // The handle to trace.
    XmlValueInterface* xmlParameter() const;
    XmlValueRegisterField* registerField() const { return m_field; }
    // The value last read or written; the register default's before any access.
    int lastKnownValue() const { return m_lastKnown; }

    // The module reports what the device gave for this field.
    void takeValue(int value, bool fromRead);

signals:
    void valueUpdated(int value);
    void valueChanged(int value);

private:
    QPointer<XmlValueRegisterField> m_field;
    QPointer<ZYRAModuleInterface> m_module;
    quint8 m_channel;
    int m_lastKnown = 0;
    bool m_known = false;
};

} // namespace Model
