// SPDX-License-Identifier: MIT
// Long sessions: the built workbench runs scripts a long session makes (hours
// of device time refreshed as the window does, a million refreshes, ten
// thousand tools opened and closed, a 16 MiB script, product after product)
// and each run's wall time, CPU time and peak resident memory are printed
// beside the aim. Cost per simulated hour is compared between the first and
// the last hour of the same run: a session whose work grows with its length
// shows it there.
//
//   bench_soak [WORKBENCH]      (default: the workbench built beside it)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr int kHours = 8;
constexpr int kRefreshes = 1000000;
constexpr int kCycles = 10000;

struct Outcome
{
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
    QList<double> markSeconds; // wall time at each line of output
};

// Runs the workbench on `script` headless, after `options`; notes when each
// line of its output arrives.
Outcome runScript(const QString& workbench, const QString& script, const QStringList& options = {})
{
    Outcome outcome;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return outcome;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    QList<QByteArray> words{QFile::encodeName(workbench)};
    for (const QString& option : options)
        words.append(QFile::encodeName(option));
    words << "--script" << QFile::encodeName(script);
    std::vector<char*> arguments;
    for (QByteArray& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    const QByteArray& program = words.first();
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.constData(), &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return outcome;
    }
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n')
                outcome.markSeconds.append(clock.nsecsElapsed() / 1e9);
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child)
        return outcome;
    outcome.wallSeconds = clock.nsecsElapsed() / 1e9;
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    outcome.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    outcome.peakMiB = usage.ru_maxrss / 1024.0; // kilobytes on Linux
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Both motors of the Veltrax product on long moves in opposite directions.
QByteArray twoMotorsMoving()
{
    return "product 135\nopen 0\nshow\nopen 1\nshow\n"
           "tool 0\nset sbTargetPosition 2147480000\nclick btnMoveAbsolute\n"
           "tool 1\nset sbTargetPosition -2147480000\nclick btnMoveAbsolute\n";
}

// A one-motor trapezoid module (variant 100) with `extra` registers of a
// field each beside the ones its tool needs.
QByteArray productFile(int extra)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<product variant=\"100\" designation=\"Bench\" name=\"Bench servo module\" motors=\"1\">\n"
                      "  <ic name=\"Bench\">\n";
    const auto field = [&text](const char* name, int address, const char* fieldAttributes) {
        text += QStringLiteral("    <register name=\"%1\" address=\"0x%2\"/>\n"
                               "    <field name=\"%1\" register=\"%1\" %3/>\n")
                    .arg(QLatin1String(name))
                    .arg(address, 4, 16, QLatin1Char('0'))
                    .arg(QLatin1String(fieldAttributes))
                    .toUtf8();
    };
    field("MODE_RAMP_MODE_MOTION", 0x4, "mask=\"0x00000007\"");
    field("PID_POSITION_TARGET", 0x12, "mask=\"0xFFFFFFFF\" signed=\"true\"");
    field("PID_POSITION_ACTUAL", 0x13, "mask=\"0xFFFFFFFF\" signed=\"true\"");
    field("PID_VELOCITY_LIMIT", 0x16, "mask=\"0x7FFFFFFF\"");
    field("PID_ACCELERATION_LIMIT", 0x17, "mask=\"0x7FFFFFFF\"");
    for (int i = 0; i < extra; ++i)
        field(qPrintable(QStringLiteral("SPARE_REGISTER_%1").arg(i)), 0x100 + i, "mask=\"0x0000FFFF\"");
    return text
           + "  </ic>\n"
             "  <motion profile=\"trapezoid\">\n"
             "    <use role=\"target\" field=\"PID_POSITION_TARGET\"/>\n"
             "    <use role=\"actual\" field=\"PID_POSITION_ACTUAL\"/>\n"
             "    <use role=\"mode\" field=\"MODE_RAMP_MODE_MOTION\" value=\"3\"/>\n"
             "    <use role=\"vMax\" field=\"PID_VELOCITY_LIMIT\"/>\n"
             "    <use role=\"aMax\" field=\"PID_ACCELERATION_LIMIT\"/>\n"
             "  </motion>\n"
             "</product>\n";
}

void report(QTextStream& out, const QString& what, const Outcome& outcome, const QString& aim)
{
    if (!outcome.ok) {
        out << "  " << what << ": the run failed\n";
        return;
    }
    out << QStringLiteral("  %1\n      %2 s wall, %3 s CPU, peak %4 MiB   aim: %5\n")
               .arg(what)
               .arg(outcome.wallSeconds, 0, 'f', 2)
               .arg(outcome.cpuSeconds, 0, 'f', 2)
               .arg(outcome.peakMiB, 0, 'f', 0)
               .arg(aim);
    out.flush();
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString workbench = arguments.size() > 1 ? arguments.at(1) : QStringLiteral(WORKBENCH_EXECUTABLE);
    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "Long sessions: the workbench runs each script headless (" << workbench << ")\n";
    out.flush();

    // Hours of device time, advanced and refreshed as the window's clock does
    // it, with a line of output at the end of each hour.
    QByteArray hours = twoMotorsMoving();
    const QByteArray tenthOfASecond = "advance 100\nrefresh\n";
    for (int hour = 0; hour < kHours; ++hour) {
        hours += tenthOfASecond.repeated(36000);
        hours += "print sbActualPosition value\n";
    }
    const Outcome soak = runScript(workbench, write(dir, QStringLiteral("hours.wbs"), hours));
    report(out,
           QStringLiteral("%1 simulated hours of product 135, both motors moving, advance 100 + refresh").arg(kHours),
           soak, QStringLiteral("under 30 s and 100 MiB"));
    if (soak.ok && soak.markSeconds.size() == kHours) {
        const double first = soak.markSeconds.first();
        const double last = soak.markSeconds.at(kHours - 1) - soak.markSeconds.at(kHours - 2);
        out << QStringLiteral("      cost of a simulated hour: the first %1 s (with the start), the last %2 s = %3x   "
                              "aim: the same\n")
                   .arg(first, 0, 'f', 2)
                   .arg(last, 0, 'f', 2)
                   .arg(last / first, 0, 'f', 2);
    }

    QByteArray refreshes = twoMotorsMoving() + QByteArray("refresh\n").repeated(kRefreshes);
    report(out, QStringLiteral("%L1 refresh lines, product 135, both tools shown and moving").arg(kRefreshes),
           runScript(workbench, write(dir, QStringLiteral("refreshes.wbs"), refreshes)), QStringLiteral("under 20 s"));

    const QByteArray cycles = "product 40\n" + QByteArray("open\nshow\nclose\n").repeated(kCycles);
    report(out, QStringLiteral("%L1 open/show/close cycles, product 40").arg(kCycles),
           runScript(workbench, write(dir, QStringLiteral("cycles.wbs"), cycles)), QStringLiteral("under 30 s"));

    // Moves of hours, days and years crossed by one `advance` each, against a
    // script that only opens and shows the tool: what the script costs is the
    // workbench starting.
    const Outcome start = runScript(workbench, write(dir, QStringLiteral("start.wbs"), "product 40\nopen\nshow\n"));
    report(out, QStringLiteral("opening and showing the tool of product 40 (the baseline of the next three)"), start,
           QStringLiteral("-"));
    const QByteArray zellMove = "set sbTargetPosition 2147480000\nclick btnMoveAbsolute\n"
                                "advance 3600000\nadvance 2147483647\n";
    const struct
    {
        const char* what;
        QByteArray script;
    } longMoves[] = {
        {"a move of 2147480000 at 50000 positions/s, advance 3600000 and 2147483647",
         "product 40\nopen\nshow\n" + zellMove},
        {"the same at 12345.67 positions/s, a move of 48 hours",
         "product 40\nopen\nshow\ndevice RAMPER_V_MAX 1234567\n" + zellMove},
        {"product 135 cruising at 0.01 positions/s, advance 2147483647",
         "product 135\nopen\nshow\ndevice RAMPER_V_MAX 1\n"
         "set sbTargetPosition 2000000\nclick btnMoveAbsolute\nadvance 2147483647\n"},
    };
    for (const auto& move : longMoves) {
        const Outcome outcome = runScript(workbench, write(dir, QStringLiteral("long.wbs"), move.script));
        report(out, QLatin1String(move.what), outcome, QStringLiteral("as long as the baseline"));
        if (outcome.ok && start.ok)
            out << QStringLiteral("      %1x the baseline's wall time\n")
                       .arg(outcome.wallSeconds / start.wallSeconds, 0, 'f', 2);
    }

    // A product file as large as the reader takes in a reasonable time, against
    // the same product without its spare registers.
    constexpr int kSpareRegisters = 64000;
    const QByteArray large = productFile(kSpareRegisters);
    const QString loadScript = write(dir, QStringLiteral("load.wbs"), "product 100\n");
    const Outcome small = runScript(
        workbench, loadScript,
        {QStringLiteral("--product-file"), write(dir, QStringLiteral("small.xml"), productFile(0))});
    report(out, QStringLiteral("a product file of the 5 registers its tool needs (the baseline of the next)"), small,
           QStringLiteral("-"));
    const Outcome loaded = runScript(workbench, loadScript,
                                     {QStringLiteral("--product-file"), write(dir, QStringLiteral("large.xml"), large)});
    report(out,
           QStringLiteral("a product file of %L1 more registers with a field each, %2 MB")
               .arg(kSpareRegisters)
               .arg(large.size() / 1e6, 0, 'f', 1),
           loaded, QStringLiteral("under 2 s"));

    // A script as large as one may be, and product after product: memory.
    const QByteArray comment = "# " + QByteArray(60, '-') + '\n';
    const QByteArray comments = "product 40\n" + comment.repeated(int((16 << 20) / comment.size()) - 1);
    report(out, QStringLiteral("16 MiB script of comment lines"),
           runScript(workbench, write(dir, QStringLiteral("comments.wbs"), comments)),
           QStringLiteral("memory that of the text, not of its lines"));
    const Outcome few = runScript(workbench,
                                  write(dir, QStringLiteral("few.wbs"), QByteArray("product 40\n").repeated(20)));
    const Outcome many = runScript(workbench,
                                   write(dir, QStringLiteral("many.wbs"), QByteArray("product 40\n").repeated(4000)));
    if (few.ok && many.ok) {
        out << QStringLiteral(
                   "  4000 product lines against 20\n      peak %1 MiB against %2 MiB = %3x   aim: the same\n")
                   .arg(many.peakMiB, 0, 'f', 1)
                   .arg(few.peakMiB, 0, 'f', 1)
                   .arg(many.peakMiB / few.peakMiB, 0, 'f', 2);
    }
    return 0;
}
