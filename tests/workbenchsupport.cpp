// SPDX-License-Identifier: MIT
#include "workbenchsupport.h"

#include "productcatalog.h"
#include "session.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace WorkbenchSupport {

QString workbenchExecutable()
{
    return QStringLiteral(WORKBENCH_EXECUTABLE);
}

QString pluginDirectory()
{
    return QStringLiteral(POSITIONMODE_PLUGIN_DIR);
}

Run runWorkbench(const QStringList& arguments, const QString& directory, const QString& locale)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    if (!locale.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(environment);
    }
    process.start(workbenchExecutable(), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.stderrText = QString::fromUtf8(process.readAllStandardError());
    const QStringList lines = run.stderrText.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.contains(QLatin1String("error: ")))
            run.errors.append(line);
    }
    return run;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

Run runScript(const QByteArray& script, const QStringList& more)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("test.wbs"), script);
    return runWorkbench(QStringList{QStringLiteral("--script"), path} + more);
}

void checkRefused(const Run& run, const QString& out, const QString& expected)
{
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, out);
    QCOMPARE(run.errors.size(), 1);
    const QString& message = run.errors.first();
    const int star = expected.indexOf(QLatin1Char('*'));
    QVERIFY2(star < 0 ? message == expected
                      : message.startsWith(expected.left(star)) && message.endsWith(expected.mid(star + 1)),
             qPrintable(message + "\nexpected " + expected));
}

std::unique_ptr<Session> loadedSession()
{
    ProductCatalog catalog;
    QString error;
    if (!catalog.loadBuiltIn(&error))
        qFatal("%s", qPrintable(error));
    auto session = std::make_unique<Session>(std::move(catalog));
    if (!session->host().load(pluginDirectory(), &error))
        qFatal("%s", qPrintable(error));
    return session;
}

} // namespace WorkbenchSupport
