// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// One line of a workbench script, checked and with its numbers read.
struct ScriptCommand
{
    enum Kind {
        Product,
        Open,
        Show,
        Hide,
        Set,
        Click,
        Hover,
        Device,
        Advance,
        Refresh,
        Poll,
        Reply,
        Export,
        Wait,
        Print,
        Journal,
        Plan,
        Save,
        Tool,
        Close,
        Design,
    };

    Kind kind = Product;
    int line = 0;       // 1-based line in the script file
    QString name;       // NAME, FIELD, Units|CommMode, plot|journal
    QString text;       // set VALUE as written, print PROPERTY, save FILE
    qint64 number = 0;  // CODE, MOTOR (-1: the current tool's), MS, device and export VALUE, DISTANCE
    bool enter = false; // hover enter (true) or leave
    // reply KEY=VALUE pairs as written, values still text ("read", register names).
    QList<QPair<QString, QString>> fields;
    // design's words as written (DISTANCE SECONDS [gentlest], DISTANCE fastest VMAX AMAX, apply, undo).
    QStringList words;

    // Commands as a program makes them to have them written (ScriptWriter):
    // `advance 20`, `close` (number -1), `show`; `set NAME VALUE`, `click
    // NAME`; `device NAME VALUE`, `export Units 1`; `hover FIELD enter`.
    static ScriptCommand make(Kind kind, qint64 number = 0)
    {
        ScriptCommand command;
        command.kind = kind;
        command.number = number;
        return command;
    }
    static ScriptCommand make(Kind kind, const QString& name, const QString& text = QString())
    {
        ScriptCommand command = make(kind);
        command.name = name;
        command.text = text;
        return command;
    }
    static ScriptCommand make(Kind kind, const QString& name, qint64 number)
    {
        ScriptCommand command = make(kind, number);
        command.name = name;
        return command;
    }
    static ScriptCommand design(const QStringList& words)
    {
        ScriptCommand command = make(Design);
        command.words = words;
        return command;
    }
    static ScriptCommand hover(const QString& field, bool enter)
    {
        ScriptCommand command = make(Hover, field);
        command.enter = enter;
        return command;
    }
};
