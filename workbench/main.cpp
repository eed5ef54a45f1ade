// SPDX-License-Identifier: MIT
#include "mainwindow.h"
#include "messagelog.h"
#include "pluginhost.h"
#include "productcatalog.h"
#include "safefile.h"
#include "scriptrunner.h"
#include "session.h"
#include "toolclock.h"
#include "toolpanel.h"
#include "virtualtimers.h"
#include "workbenchoptions.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPixmap>
#include <QPluginLoader>
#include <QPointer>
#include <QScreen>
#include <QTextStream>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr int kBadInput = ScriptRunner::ErrorExitCode;

int fail(const QString& message)
{
    QTextStream(stderr) << "workbench: " << message << '\n';
    return kBadInput;
}

// Qt reads "-platform NAME" and "--platform NAME" but not "--platform=NAME":
// the arguments with that one spelled the way Qt reads it.
std::vector<QByteArray> normalizedArguments(int argc, char** argv)
{
    std::vector<QByteArray> arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        const int equals = argument.indexOf('=');
        const QByteArray option = argument.left(equals);
        if (i > 0 && equals > 0 && (option == "--platform" || option == "-platform")) {
            arguments.emplace_back("-platform");
            arguments.push_back(argument.mid(equals + 1));
        } else {
            arguments.push_back(argument);
        }
    }
    return arguments;
}

// The value after "-OPTION" (or "--OPTION") among the arguments, as Qt reads
// its own options; `found` tells whether the option is there at all.
QByteArray argumentValue(const std::vector<QByteArray>& arguments, const char* option, bool* found = nullptr)
{
    const QByteArray single = QByteArray("-") + option;
    const QByteArray twice = QByteArray("--") + option;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == single || arguments[i] == twice) {
            if (found)
                *found = true;
            return i + 1 < arguments.size() ? arguments[i + 1] : QByteArray();
        }
    }
    if (found)
        *found = false;
    return QByteArray();
}

// The platform names of the platform plug-ins Qt would look for where Qt
// looks for them, read from the plug-ins' metadata without loading them.
QStringList platformNames(const std::vector<QByteArray>& arguments)
{
    QStringList directories;
    const QString local = QString::fromLocal8Bit(arguments.front());
    directories << QFileInfo(local).absolutePath() + QStringLiteral("/platforms");
    directories << QLibraryInfo::location(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    const QString pluginPath = QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH"));
    for (const QString& path : pluginPath.split(QDir::listSeparator())) {
        if (!path.isEmpty())
            directories << path + QStringLiteral("/platforms");
    }
    directories << QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH"));
    directories << QString::fromLocal8Bit(argumentValue(arguments, "platformpluginpath"));
    QStringList names;
    for (const QString& directory : qAsConst(directories)) {
        if (directory.isEmpty())
            continue;
        const QFileInfoList files = QDir(directory).entryInfoList(QDir::Files);
        for (const QFileInfo& file : files) {
            const QJsonObject meta = QPluginLoader(file.absoluteFilePath()).metaData();
            if (!meta.value(QStringLiteral("IID")).toString().contains(QLatin1String("QPlatformIntegrationFactoryInterface")))
                continue;
            const QJsonArray keys =
                meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
            for (const QJsonValue& key : keys) {
                if (!names.contains(key.toString(), Qt::CaseInsensitive))
                    names << key.toString();
            }
        }
    }
    names.sort();
    return names;
}

// Qt aborts when it cannot load the platform asked for; say so before it
// does. Only when Qt's platform plug-ins can be listed: a platform found but
// unable to start is still Qt's to report.
bool checkPlatform(const std::vector<QByteArray>& arguments, QString* error)
{
    bool given = false;
    QByteArray platform = argumentValue(arguments, "platform", &given);
    const char* source = "-platform";
    if (!given) {
        platform = qgetenv("QT_QPA_PLATFORM");
        source = "QT_QPA_PLATFORM";
    }
    // "NAME:OPTIONS"; several names separated by ";" are tried in turn.
    QStringList wanted;
    for (const QString& entry : QString::fromLocal8Bit(platform).split(QLatin1Char(';'))) {
        if (!entry.section(QLatin1Char(':'), 0, 0).isEmpty())
            wanted << entry.section(QLatin1Char(':'), 0, 0);
    }
    if (!given && wanted.isEmpty())
        return true;
    const QStringList names = platformNames(arguments);
    if (names.isEmpty())
        return true;
    for (const QString& name : qAsConst(wanted)) {
        if (names.contains(name, Qt::CaseInsensitive))
            return true;
    }
    const QString name = wanted.join(QLatin1Char(';'));
    const QString platforms = names.join(QStringLiteral(", "));
    if (name.isEmpty())
        *error = QStringLiteral("%1 needs a platform name (the platforms are %2)").arg(QLatin1String(source), platforms);
    else
        *error = QStringLiteral("%1 \"%2\": Qt has no such platform (the platforms are %3)")
                     .arg(QLatin1String(source), name, platforms);
    return false;
}

bool platformChosen(const std::vector<QByteArray>& arguments)
{
    // An empty QT_QPA_PLATFORM chooses nothing.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    bool given = false;
    argumentValue(arguments, "platform", &given);
    return given;
}

// Qt ends the process with a fatal message when the platform plug-in it
// loads cannot start (xcb without an X server, a plug-in missing a library).
// While the application object is made, Qt's messages are held here: a fatal
// one turns them into one line on stderr in every mode, and the run ends as
// on any other bad input; the others go to the message log afterwards.
struct HeldMessage
{
    QtMsgType type;
    QString text;
};
std::vector<HeldMessage>* g_heldMessages = nullptr;

void holdStartingMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text)
{
    if (type != QtFatalMsg) {
        g_heldMessages->push_back({type, text});
        return;
    }
    QStringList reasons;
    for (const HeldMessage& message : *g_heldMessages)
        reasons << message.text.trimmed();
    if (reasons.isEmpty())
        reasons << text.section(QLatin1Char('\n'), 0, 0);
    QTextStream(stderr) << "workbench: error: Qt cannot start its platform plug-in: "
                        << reasons.join(QStringLiteral("; ")) << '\n';
    std::_Exit(kBadInput);
}

bool saveScreenshot(MainWindow& window, const QString& path, QString* error)
{
    // Let the layouts settle before the picture is taken.
    QApplication::processEvents();
    QApplication::processEvents();
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !window.screenshot().save(&buffer, "PNG")) {
        *error = QStringLiteral("cannot write \"%1\": the picture could not be made").arg(path);
        return false;
    }
    return SafeFile::write(path, png, error);
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<QByteArray> arguments = normalizedArguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (QByteArray& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    int count = int(arguments.size());
    QString error;
    if (!checkPlatform(arguments, &error))
        return fail(QStringLiteral("error: %1").arg(error));

    // Scripts and screenshots need no screen: without a platform chosen they
    // run on the offscreen one. So does everything without a display, to be
    // able to say what is wrong.
    bool noDisplay = false;
    const bool headless = WorkbenchOptions::headless(count, pointers.data());
    if (!platformChosen(arguments)) {
        noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (noDisplay || headless)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A script or a screenshot runs every timer of the process on device
    // time, so that its output is the same on every run: the dispatcher must
    // be there before the application object.
    // The window runs the timers of tools on device time too, so that a
    // recording of the session replays to what the window showed.
    VirtualTimers* timers = nullptr;
    ToolClock* toolClock = nullptr;
    if (headless) {
        timers = new VirtualTimers;
        QCoreApplication::setEventDispatcher(timers);
    } else {
        toolClock = new ToolClock(&PluginHost::isInTool);
        timers = toolClock->deviceTimers();
        QCoreApplication::setEventDispatcher(toolClock);
    }
    std::vector<HeldMessage> heldMessages;
    g_heldMessages = &heldMessages;
    qInstallMessageHandler(holdStartingMessage);
    QApplication app(count, pointers.data());
    qInstallMessageHandler(nullptr);
    if (toolClock)
        toolClock->attachPlatform();
    // Qt's messages (the tools' diagnostics, Qt's warnings) go to the
    // window's Messages view and to stderr; a script or a screenshot writes
    // them only with --verbose, so that its own output and error stand clear,
    // except the critical ones.
    QTextStream messageEcho(stderr);
    MessageLog messages;
    QPointer<Session> messageClock; // the session, while there is one
    messages.capture([&messageClock] { return messageClock ? messageClock->timeMs() : 0; }, &messageEcho,
                     !headless || WorkbenchOptions::verboseGiven(count, pointers.data()));
    for (const HeldMessage& message : heldMessages)
        messages.append(message.type, message.text);
    g_heldMessages = nullptr;
    // The program's installed name: the window system's class of its windows
    // (the desktop entry's StartupWMClass) and the name --version prints.
    QApplication::setApplicationName(QStringLiteral("positionmode-workbench"));
    QApplication::setApplicationVersion(QStringLiteral(POSITIONMODE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("positionmode-workbench"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/workbench/positionmode-workbench.svg")));

    WorkbenchOptions options;
    bool exitNow = false;
    if (!WorkbenchOptions::parse(QApplication::arguments(), &options, &error, &exitNow))
        return fail(QStringLiteral("error: %1 (see --help)").arg(error));
    if (exitNow) {
        QTextStream(stdout) << error << (error.endsWith(QLatin1Char('\n')) ? "" : "\n");
        return 0;
    }

    if (noDisplay && options.script.isEmpty() && options.screenshot.isEmpty()) {
        return fail(QStringLiteral("error: no display to show the window on; set DISPLAY, or run a script "
                                   "(--script) or take a screenshot (--screenshot), which need none"));
    }

    ProductCatalog catalog;
    if (!catalog.loadBuiltIn(&error))
        return fail(error);
    for (const QString& file : qAsConst(options.productFiles)) {
        if (!catalog.addFile(file, &error)) {
            QTextStream(stderr) << error << '\n';
            return kBadInput;
        }
    }

    // A start product is checked even when the script chooses its own.
    if (options.productGiven && !catalog.find(options.product)) {
        return fail(QStringLiteral("error: unknown product code %1 (the products are %2)")
                        .arg(options.product)
                        .arg(catalog.variantList()));
    }

    Session session(std::move(catalog));
    messageClock = &session;
    session.setVirtualTimers(timers);
    PluginHost& host = session.host();
    const QString pluginDirectory = options.pluginDirectory.isEmpty() ? PluginHost::defaultPluginDirectory()
                                                                      : options.pluginDirectory;
    if (!host.load(pluginDirectory, &error))
        return fail(QStringLiteral("error: %1").arg(error));

    MainWindow window(session);
    window.setMessageLog(&messages);
    if (options.size.isValid())
        window.resize(options.size);
    else if (!headless)
        window.setGeometry(MainWindow::openingGeometry(QGuiApplication::primaryScreen()->availableGeometry()));
    if (!options.script.isEmpty()) {
        window.setRealTime(false);
        window.show();
        QTextStream out(stdout);
        QTextStream err(stderr);
        ScriptRunner runner(session, window, out, err);
        const int status = runner.runFile(options.script);
        if (status != 0)
            return status;
    } else {
        window.setRealTime(options.screenshot.isEmpty());
        // A product the plug-in does not serve leaves the window with a note
        // saying so; a screenshot of that is refused.
        const bool refused = !window.openProduct(options.product, 0, &error);
        if (refused && (host.refusal().isEmpty() || !options.screenshot.isEmpty()))
            return fail(QStringLiteral("error: %1").arg(error));
        window.show();
    }

    if (!options.screenshot.isEmpty()) {
        if (!saveScreenshot(window, options.screenshot, &error))
            return fail(QStringLiteral("error: %1").arg(error));
        return 0;
    }
    if (!options.script.isEmpty())
        return 0;
    return QApplication::exec();
}
