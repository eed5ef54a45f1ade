// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QObject;
class QWidget;

// Drives a widget the way a user does: types into a spin box and presses
// Enter, picks a combo box item, checks a button or group, clicks, moves the
// pointer in and out. A disabled widget takes no input, as on screen.
class UserInput
{
public:
    enum Result { Done, Disabled, Failed };

    // A spin box gets `value` typed and confirmed with Enter; a combo box
    // selects the item with that text; a checkable button or group becomes
    // "on" or "off"; a line edit gets the text typed and Enter.
    static Result set(QObject* target, const QString& value, QString* error);
    static Result click(QObject* target, QString* error);
    static Result hover(QObject* target, bool enter, QString* error);

private:
    static void type(QWidget* widget, const QString& text);
};
