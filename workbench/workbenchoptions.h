// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// The workbench's command line.
class WorkbenchOptions
{
public:
    static constexpr int DefaultProduct = 40;

    QString pluginDirectory; // empty: the build layout's plug-in directory
    int product = DefaultProduct;
    bool productGiven = false; // --product was given (checked even when a script picks the product)
    QStringList productFiles;
    QString script;
    QString screenshot;
    QSize size;           // the window's size; invalid: the default, or what fits the screen
    bool verbose = false; // a script also prints Qt's messages (the tools' diagnostics) to stderr

    // What --size takes for each side, in pixels.
    static constexpr int MinimumSide = 320;
    static constexpr int MaximumSide = 16384;

    // Reads the arguments (the program name first). False with `error` set for
    // a bad command line; `exitNow` is set after --help or --version, whose
    // text is in `error` then.
    static bool parse(const QStringList& arguments, WorkbenchOptions* options, QString* error, bool* exitNow);
    // Whether the arguments ask for a run without a window on screen (a
    // script, a screenshot, help), decided before the application exists.
    static bool headless(int argc, char** argv);
    // Whether the arguments ask for Qt's messages on stderr, decided before
    // the application exists (its first messages come while it starts).
    static bool verboseGiven(int argc, char** argv);
};
