// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Texts from product files (names, designations) may be of any length; the
// window shows at most this many characters of one, the rest as an ellipsis,
// so that no label, title or combo box grows with the text.
constexpr int kMostShownCharacters = 48;

inline QString elided(const QString& text, int most = kMostShownCharacters)
{
    if (text.size() <= most)
        return text;
    int keep = most - 1;
    if (text.at(keep - 1).isHighSurrogate())
        --keep; // never split a character in two
    return text.left(keep) + QChar(0x2026);
}
