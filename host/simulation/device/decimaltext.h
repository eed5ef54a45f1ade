// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A number as a person writes it, in a message or a script line: at most
// `decimals` decimals, no exponent, no trailing zeros, and no "-0".
inline QString decimalText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    while (text.endsWith(QLatin1Char('0')) && text.contains(QLatin1Char('.')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}
