// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// Positions are 32-bit two's complement and wrap around at the limits, as on
// the device. Signed overflow is undefined in C++, so the sums go through quint32.
namespace PositionArithmetic {
inline qint32 wrappingAdd(qint32 a, qint32 b)
{
    return qint32(quint32(a) + quint32(b));
}

// A 64-bit value seen as a 32-bit position: its low 32 bits.
inline qint32 narrow(qint64 value)
{
    return qint32(quint32(quint64(value)));
}
} // namespace PositionArithmetic
