// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class Session;
class QTemporaryDir;

// What the tests of the workbench share: running the built workbench as a
// user runs it, and the host as the workbench sets it up.
namespace WorkbenchSupport {
struct Run
{
    int exitCode = -1;
    QString out;
    QStringList errors; // the stderr lines that report an error, without Qt's own notes
    QString stderrText; // all of stderr
};

// Runs the workbench with `arguments`, in `directory` when one is given,
// under the locale `locale` when one is given.
Run runWorkbench(const QStringList& arguments, const QString& directory = QString(), const QString& locale = QString());
// Writes `script` to a temporary file and runs it with `--script`.
Run runScript(const QByteArray& script, const QStringList& more = {});
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content);
// The run stopped with exit code 2 after printing `out` and reported one
// error, `expected`, in which a "*" stands for what depends on the plug-in or
// the machine. For use inside a test function (it uses QCOMPARE).
void checkRefused(const Run& run, const QString& out, const QString& expected);
// A session with the built products and the built plug-in loaded, as the
// workbench starts one.
std::unique_ptr<Session> loadedSession();
// The built workbench, and the folder of the built plug-in.
QString workbenchExecutable();
QString pluginDirectory();
} // namespace WorkbenchSupport
