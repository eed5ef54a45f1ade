// SPDX-License-Identifier: MIT
#pragma once

#include "xmlvalueinterface.h"
#include "xmlvalueregister.h"

#include <QPointer>

// A field of a register: the bits under `mask`, shifted down by `shift`,
// read as two's complement when the field is signed.
class XmlValueRegisterField : public XmlValueInterface
{
    Q_OBJECT

public:
    struct Layout
    {
        quint32 mask = 0;
        int shift = 0;
        bool isSigned = false;
        qint64 minimum = 0;
        qint64 maximum = 0;
        // False for a field the map lists but this IC does not offer.
        bool available = true;
    };

    XmlValueRegisterField(const QString& name, XmlValueRegister* reg, const Layout& layout, QObject* parent);

    XmlValueRegister* getRegister() const { return m_register; }
    quint32 mask() const { return m_layout.mask; }
    int shift() const { return m_layout.shift; }
    bool isSigned() const { return m_layout.isSigned; }
    int bitWidth() const;
    qint64 minimum() const { return m_layout.minimum; }
    qint64 maximum() const { return m_layout.maximum; }
    bool isAvailable() const { return m_layout.available; }

    // The field's value cut out of a whole-register value.
    long long getFieldValue(long long registerValue) const;
    // The register value with this field replaced by `fieldValue`; bits of the
    // value that do not fit the field are dropped.
    quint32 insertFieldValue(quint32 registerValue, qint64 fieldValue) const;

    // The range a field of this layout can hold.
    static qint64 naturalMinimum(quint32 mask, int shift, bool isSigned);
    static qint64 naturalMaximum(quint32 mask, int shift, bool isSigned);

private:
    QPointer<XmlValueRegister> m_register;
    Layout m_layout;
};
