#include "mainwindow.h"
#include "pluginhost.h"
#include "productcatalog.h"
#include "scriptrunner.h"
#include "toolpanel.h"
#include "workbenchoptions.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>

#include <cstring>

namespace {
constexpr int kBadInput = ScriptRunner::ErrorExitCode;

int fail(const QString& message)
{
    QTextStream(stderr) << "workbench: " << message << '\n';
    return kBadInput;
}

bool platformChosen(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

bool saveScreenshot(MainWindow& window, const QString& path)
{
    // Let the layouts settle before the picture is taken.
    QApplication::processEvents();
    QApplication::processEvents();
    return window.screenshot().save(path, "PNG");
}
} // namespace

int main(int argc, char** argv)
{
    // Scripts and screenshots need no screen: without a platform chosen they
    // run on the offscreen one. So does everything without a display, to be
    // able to say what is wrong.
    bool noDisplay = false;
    if (!platformChosen(argc, argv)) {
        noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (noDisplay || WorkbenchOptions::headless(argc, argv))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("workbench"));
    QApplication::setApplicationVersion(QStringLiteral("4.6.0"));

    WorkbenchOptions options;
    QString error;
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

    PluginHost host(std::move(catalog));
    const QString pluginDirectory =
        options.pluginDirectory.isEmpty() ? PluginHost::defaultPluginDirectory() : options.pluginDirectory;
    if (!host.load(pluginDirectory, &error))
        return fail(QStringLiteral("error: %1").arg(error));

    MainWindow window(host);
    if (!options.script.isEmpty()) {
        window.setRealTime(false);
        window.show();
        QTextStream out(stdout);
        QTextStream err(stderr);
        ScriptRunner runner(host, *window.toolPanel(), out, err);
        const int status = runner.runFile(options.script);
        if (status != 0)
            return status;
    } else {
        window.setRealTime(options.screenshot.isEmpty());
        if (!window.openProduct(options.product, 0, &error))
            return fail(QStringLiteral("error: %1").arg(error));
        window.show();
    }

    if (!options.screenshot.isEmpty()) {
        if (!saveScreenshot(window, options.screenshot))
            return fail(QStringLiteral("error: cannot write the screenshot \"%1\"").arg(options.screenshot));
        return 0;
    }
    if (!options.script.isEmpty())
        return 0;
    return QApplication::exec();
}
