// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

class XmlParameterInterface;
class XmlValueRegister;
class XmlValueRegisterField;

// One access to the device. Every read, write, move and trace request of the
// host, its model objects and the tools is described by one of these and
// passes the module's single device port, its DeviceLink.
struct DeviceAccess
{
    enum Operation { Read, Write, Move, Trace, Untrace, UntraceAll };
    // Journaled accesses are the ones a tool asked for; silent ones are the
    // host's own (trace refreshes, polls from other views).
    enum Mode { Journaled, Silent };

    DeviceAccess() = default;
    DeviceAccess(Operation operation, quint8 motor, Mode mode = Journaled)
        : operation(operation)
        , mode(mode)
        , motor(motor)
    {
    }

    Operation operation = Read;
    Mode mode = Journaled;
    // At most one of these names the target; a register read by address has none.
    const XmlValueRegister* reg = nullptr;
    const XmlValueRegisterField* field = nullptr;
    const XmlParameterInterface* parameter = nullptr;
    quint16 address = 0;
    quint8 motor = 0;
    // In: the value to write or the position to move to.
    qint64 value = 0;

    // Out: the value read, or the value the device kept after a write.
    qint64 result = 0;
    // Out, for register and field accesses: the whole register after the access.
    quint32 registerValue = 0;
    // Out: the register the access touched (resolved from field or address), if any.
    const XmlValueRegister* touchedRegister = nullptr;
    // Out: the device took the access (false, say, for a field without a register).
    bool performed = false;
};
