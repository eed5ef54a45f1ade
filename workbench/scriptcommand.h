#pragma once

#include <QList>
#include <QPair>
#include <QString>

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
    };

    Kind kind = Product;
    int line = 0;       // 1-based line in the script file
    QString name;       // NAME, FIELD, Units|CommMode, plot|journal
    QString text;       // set VALUE as written, print PROPERTY, save FILE
    qint64 number = 0;  // CODE, MOTOR (-1: the current tool's), MS, device and export VALUE, DISTANCE
    bool enter = false; // hover enter (true) or leave
    // reply KEY=VALUE pairs as written, values still text ("read", register names).
    QList<QPair<QString, QString>> fields;
};
