// SPDX-License-Identifier: MIT
#pragma once

#include "device/moveplanner.h"
#include "scriptcommand.h"

#include <QString>

class MainWindow;
class PluginHost;
class Session;
class QObject;
class QTextStream;

// Runs a workbench script against the host: each command does what a user
// or the host would do, `print` and `journal` write to `out`, and the first
// command that cannot be done ends the run with "FILE:LINE: error: what" on
// `err`. Device time moves only by `advance` (and `wait`); traces refresh
// only on `refresh`. `save` writes what the session's samples and journal
// hold, or the window's picture of the plot.
class ScriptRunner
{
public:
    static constexpr int ErrorExitCode = 2;

    ScriptRunner(Session& session, MainWindow& window, QTextStream& out, QTextStream& err);

    // Reads, checks and runs the script file; 0 when every command ran.
    int runFile(const QString& fileName);

private:
    // Runs one command and delivers what it posted; false and `error` set when it fails.
    bool run(const ScriptCommand& command, QString* error);
    bool execute(const ScriptCommand& command, QString* error);
    bool setDevice(const ScriptCommand& command, QString* error);
    bool reply(const ScriptCommand& command, QString* error);
    bool print(const ScriptCommand& command, QString* error);
    bool makeCurrent(quint8 motor, QString* error);
    bool close(qint64 motor, QString* error);
    void plan(qint64 distance);
    void printPlan(const MovePlanner::Plan& plan);
    bool design(const ScriptCommand& command, QString* error);
    bool requireTool(QString* error) const;
    bool requireModule(QString* error) const;
    bool requireToolOf(quint8 motor, QString* error) const;
    QObject* find(const QString& name, QString* error) const;
    void warn(int line, const QString& message);

    Session& m_session;
    PluginHost& m_host;
    MainWindow& m_window;
    QTextStream& m_out;
    QTextStream& m_err;
    QString m_fileName;
};
