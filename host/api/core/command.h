// SPDX-License-Identifier: MIT
#pragma once

#include <QMetaType>

// One device reply as the host hands it to tools. The host owns it; a tool
// reads it during the call and keeps nothing.
class Command
{
public:
    static constexpr int StatusOk = 100;

    Command(int status, int address, int command, int type, quint8 motorBank, int value);

    int status() const { return m_status; }
    int address() const { return m_address; }
    int command() const { return m_command; }
    // For a register read: the register address in the low 16 bits.
    int type() const { return m_type; }
    quint8 motorBank() const { return m_motorBank; }
    int value() const { return m_value; }

private:
    int m_status;
    int m_address;
    int m_command;
    int m_type;
    quint8 m_motorBank;
    int m_value;
};

Q_DECLARE_METATYPE(Command*)
