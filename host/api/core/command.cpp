// SPDX-License-Identifier: MIT
#include "command.h"

Command::Command(int status, int address, int command, int type, quint8 motorBank, int value)
    : m_status(status)
    , m_address(address)
    , m_command(command)
    , m_type(type)
    , m_motorBank(motorBank)
    , m_value(value)
{
}
