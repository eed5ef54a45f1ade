// SPDX-License-Identifier: MIT
#include "journallink.h"

#include "core/deviceaccess.h"
#include "journal.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <utility>

namespace {
// A register the product names by its name, any other by its address.
QString registerName(const XmlValueRegister* reg, quint16 address)
{
    if (reg)
        return reg->name();
    return QStringLiteral("0x") + QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

QString nameOf(const DeviceAccess& access)
{
    if (access.parameter)
        return access.parameter->role();
    if (access.field)
        return access.field->name();
    if (access.reg)
        return access.reg->name();
    return QString();
}
} // namespace

JournalLink::JournalLink(DeviceLink& inner, Journal* journal, Clock clock)
    : m_inner(inner)
    , m_journal(journal)
    , m_clock(std::move(clock))
{
}

void JournalLink::perform(DeviceAccess& access)
{
    m_inner.perform(access);
    if (!access.performed || access.mode != DeviceAccess::Journaled || !m_journal)
        return;
    m_journal->append(m_clock ? m_clock() : 0, access.motor, describe(access));
}

QString JournalLink::describe(const DeviceAccess& access)
{
    switch (access.operation) {
    case DeviceAccess::Read:
        if (access.parameter)
            return QStringLiteral("read parameter %1 -> %2").arg(access.parameter->role()).arg(access.result);
        if (access.field)
            return QStringLiteral("read field %1 -> %2").arg(access.field->name()).arg(qint32(access.result));
        return QStringLiteral("read register %1 -> %2")
            .arg(registerName(access.touchedRegister, access.reg ? access.reg->address() : access.address))
            .arg(qint32(access.registerValue));
    case DeviceAccess::Write:
        if (access.parameter)
            return QStringLiteral("write parameter %1 %2").arg(access.parameter->role()).arg(access.value);
        if (access.field)
            return QStringLiteral("write field %1 %2").arg(access.field->name()).arg(qint32(access.value));
        return QStringLiteral("write register %1 %2").arg(nameOf(access)).arg(qint32(access.value));
    case DeviceAccess::Move:
        return QStringLiteral("move %1").arg(qint32(access.value));
    case DeviceAccess::Trace:
        return QStringLiteral("trace %1").arg(nameOf(access));
    case DeviceAccess::Untrace:
        return QStringLiteral("untrace %1").arg(nameOf(access));
    case DeviceAccess::UntraceAll:
        return QStringLiteral("untrace all");
    }
    return QString();
}
