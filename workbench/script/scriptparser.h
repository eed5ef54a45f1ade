// SPDX-License-Identifier: MIT
#pragma once

#include "scriptcommand.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Reads the text of a workbench script: one command a line, `#` starts a
// comment, an argument with spaces is double-quoted, numbers are decimal or
// 0x hexadecimal (ScriptSyntax). Parsing stops at the first bad line.
class ScriptParser
{
public:
    struct Error
    {
        int line = 0;
        QString message;
    };

    // True and `commands` filled; or false, `error` set and `commands`
    // holding the lines before the bad one.
    static bool parse(const QString& text, QList<ScriptCommand>* commands, Error* error);
    // Hands each command to `take` as soon as its line is read, so that a
    // long script is never held as commands all at once. Stops at the first
    // bad line (false, `error` set) or when `take` returns false (true).
    static bool parse(const QString& text, const std::function<bool(const ScriptCommand&)>& take, Error* error);

    // One line split into words; false and `message` set for an unterminated quote.
    static bool split(const QString& line, QStringList* words, QString* message);
    // The command of a line's words (not empty): its kind and arguments;
    // false and `message` set when they are not a command.
    static bool read(const QStringList& words, ScriptCommand* command, QString* message);
    // Decimal or 0x hexadecimal, with an optional sign.
    static bool readNumber(const QString& text, qint64* value);

    // What a `design` line's words ask for: DISTANCE SECONDS [gentlest],
    // DISTANCE fastest VMAX AMAX, apply or undo; seconds and limits are
    // decimal numbers as a person writes them (1.5, 2, 50000).
    struct Design
    {
        enum Form { Duration, Fastest, Apply, Undo };
        Form form = Duration;
        qint64 distance = 0;
        double seconds = 0; // Duration
        bool gentlest = false;
        double maxVelocity = 0; // Fastest: positions/s and positions/s²
        double maxAcceleration = 0;
    };
    // False and `message` set when the words are none of these.
    static bool readDesign(const QStringList& words, Design* design, QString* message);
};
