// SPDX-License-Identifier: MIT
#pragma once

#include "scriptcommand.h"

#include <QString>

// Writes the lines of a workbench script (ScriptSyntax) that ScriptParser
// reads back: a command's line, its arguments quoted where they must be, and
// comments.
class ScriptWriter
{
public:
    // The line of `command`: its word and the arguments its kind takes, which
    // the parser reads back as the same command. False and `error` set,
    // saying what cannot be written, when an argument holds a line break
    // ("set with a line break in its argument") or the line would not read
    // back (a number beyond its range, a word the command does not take).
    static bool write(const ScriptCommand& command, QString* line, QString* error);
    // An argument (without a line break) as the parser reads it back: as it
    // is, or in double quotes with `"` and `\` escaped when it holds white
    // space, `#` or `"`, or is empty.
    static QString quoted(const QString& word);
    // A comment line holding `text`, a line break in it shown as \n or \r so
    // that the comment stays one line.
    static QString comment(const QString& text);
};
