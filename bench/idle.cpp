// SPDX-License-Identifier: MIT
// What the workbench's window costs while a person watches it: the window as
// the workbench opens it, in real time on a real display (scripts/cpu.sh runs
// this under Xvfb), idle and with motors moving. Each situation runs for a
// while and the process's CPU time over it is printed as a share of one core.
//
//   bench_idle [SECONDS]      (default 20 per situation)
#include "core/toolsinterface.h"
#include "mainwindow.h"
#include "session.h"
#include "toolclock.h"
#include "userinput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A long move of a tool's motor, started as a person starts it.
bool startMove(ToolsInterface* tool, qint32 target)
{
    QString error;
    return UserInput::set(tool->findChild<QObject*>(QStringLiteral("sbTargetPosition")), QString::number(target), &error)
               == UserInput::Done
           && UserInput::click(tool->findChild<QObject*>(QStringLiteral("btnMoveAbsolute")), &error) == UserInput::Done;
}
} // namespace

int main(int argc, char** argv)
{
    // The tools' timers on device time, as the workbench runs the window.
    auto* toolClock = new ToolClock(&PluginHost::isInTool);
    QCoreApplication::setEventDispatcher(toolClock);
    QApplication app(argc, argv);
    toolClock->attachPlatform();
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QTextStream out(stdout);
    ProductCatalog catalog;
    QString error;
    if (!catalog.loadBuiltIn(&error)) {
        out << error << '\n';
        return 1;
    }
    Session session(std::move(catalog));
    session.setVirtualTimers(toolClock->deviceTimers());
    if (!session.host().load(QStringLiteral(POSITIONMODE_PLUGIN_DIR), &error)) {
        out << error << '\n';
        return 1;
    }
    MainWindow window(session);
    window.setRealTime(true);
    window.show();
    out << "The window in real time on " << QGuiApplication::platformName() << ", " << seconds
        << " s a situation: CPU time of the process as a share of one core\n";
    out.flush();

    struct Situation
    {
        const char* what;
        QList<int> motors;
        double aim; // percent of one core
        int variant;
        bool moving;
    };
    const Situation situations[] = {
        {"product 40, its tool open, idle", {0}, 1, 40, false},
        {"product 40, its motor moving", {0}, 5, 40, true},
        {"product 135, both tools open, idle", {0, 1}, 1, 135, false},
        {"product 135, both motors moving", {0, 1}, 5, 135, true},
    };
    for (const Situation& situation : situations) {
        bool ready = window.openProduct(situation.variant, situation.motors.first(), &error);
        for (int i = 1; ready && i < situation.motors.size(); ++i)
            ready = window.openMotor(situation.motors.at(i), &error);
        for (ToolsInterface* tool : session.host().tools()) {
            if (ready && situation.moving)
                ready = startMove(tool, tool->motorNumber() % 2 == 0 ? 2147480000 : -2147480000);
        }
        if (!ready) {
            out << "  " << situation.what << ": cannot set it up: " << error << '\n';
            continue;
        }
        runFor(2000); // settled
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runFor(seconds * 1000);
        const double share = 100 * (cpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9);
        out << QStringLiteral("  %1: %2% (aim under %3%)\n")
                   .arg(QLatin1String(situation.what))
                   .arg(share, 0, 'f', 2)
                   .arg(situation.aim);
        out.flush();
    }
    return 0;
}
