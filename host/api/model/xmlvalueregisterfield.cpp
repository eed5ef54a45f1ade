// SPDX-License-Identifier: MIT
#include "xmlvalueregisterfield.h"

#include "xmlvalueregister.h"

namespace {
int widthOf(quint32 mask, int shift)
{
    const quint32 bits = mask >> shift;
    int width = 0;
    while (width < 32 && (bits >> width) != 0)
        ++width;
    return width;
}
} // namespace

XmlValueRegisterField::XmlValueRegisterField(const QString& name, XmlValueRegister* reg, const Layout& layout,
                                             QObject* parent)
    : XmlValueInterface(name, parent)
    , m_register(reg)
    , m_layout(layout)
{
}

int XmlValueRegisterField::bitWidth() const
{
    return widthOf(m_layout.mask, m_layout.shift);
}

long long XmlValueRegisterField::getFieldValue(long long registerValue) const
{
    const quint32 bits = (quint32(quint64(registerValue)) & m_layout.mask) >> m_layout.shift;
    const int width = bitWidth();
    if (m_layout.isSigned && width > 0 && width < 64 && (bits >> (width - 1)) & 1u)
        return qint64(bits) - (qint64(1) << width);
    return qint64(bits);
}

quint32 XmlValueRegisterField::insertFieldValue(quint32 registerValue, qint64 fieldValue) const
{
    const quint32 shifted = quint32(quint64(fieldValue) << m_layout.shift) & m_layout.mask;
    return (registerValue & ~m_layout.mask) | shifted;
}

qint64 XmlValueRegisterField::naturalMinimum(quint32 mask, int shift, bool isSigned)
{
    const int width = widthOf(mask, shift);
    return (isSigned && width > 0) ? -(qint64(1) << (width - 1)) : 0;
}

qint64 XmlValueRegisterField::naturalMaximum(quint32 mask, int shift, bool isSigned)
{
    const int width = widthOf(mask, shift);
    if (width == 0)
        return 0;
    return isSigned ? (qint64(1) << (width - 1)) - 1 : (qint64(1) << width) - 1;
}
