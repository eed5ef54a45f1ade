// SPDX-License-Identifier: MIT
#include "workbenchoptions.h"

#include "core/excerpt.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace {
void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Plays the host IDE for the position-mode tool plug-in: loads the plug-in, opens its tool "
                       "for a simulated product and drives it, with a live plot of the motion and a journal of "
                       "every device access. With --script it runs a script headless."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
}
} // namespace

bool WorkbenchOptions::parse(const QStringList& arguments, WorkbenchOptions* options, QString* error, bool* exitNow)
{
    *exitNow = false;
    QCommandLineParser parser;
    describe(parser);
    const QCommandLineOption pluginDir(QStringLiteral("plugin-dir"),
                                       QStringLiteral("Load the plug-in file from DIR (default: the installed "
                                                      "plug-in of an installed workbench, else the plugins "
                                                      "directory beside the executable's directory)."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption product(QStringLiteral("product"),
                                     QStringLiteral("Start on the product with variant CODE (default: 40)."),
                                     QStringLiteral("CODE"));
    const QCommandLineOption productFile(QStringLiteral("product-file"),
                                         QStringLiteral("Read a product description from FILE; it takes the place "
                                                        "of the product of its variant code. May be repeated."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption script(QStringLiteral("script"),
                                    QStringLiteral("Run the script FILE headless and exit: 0 when it ran, 2 with "
                                                   "\"FILE:LINE: error: ...\" on stderr at the first bad line."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a PNG of the window to FILE (after the script, if "
                                                       "any) and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Open the window WIDTHxHEIGHT pixels large (default: 1500x960, "
                                                 "on a smaller screen what fits it)."),
                                  QStringLiteral("WIDTHxHEIGHT"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("With --script or --screenshot, also print Qt's messages (the "
                                                    "tools' diagnostics, Qt's warnings) to stderr (critical ones "
                                                    "are printed without it too); the window shows them under "
                                                    "Messages."));
    parser.addOptions({pluginDir, product, productFile, script, screenshot, size, verbose});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        *exitNow = true;
        return true;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        *error = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
        *exitNow = true;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(Excerpt::of(parser.positionalArguments().first()));
        return false;
    }
    // An empty value would quietly mean the default (or nothing at all), and
    // a second one would quietly win: both are mistakes.
    for (const QCommandLineOption* option : {&pluginDir, &product, &productFile, &script, &screenshot, &size}) {
        const QString name = option->names().first();
        const QStringList values = parser.values(*option);
        if (values.contains(QString())) {
            *error = QStringLiteral("--%1 needs a value, not an empty one").arg(name);
            return false;
        }
        if (option != &productFile && values.size() > 1) {
            *error = QStringLiteral("--%1 is given %2 times; give it once").arg(name).arg(values.size());
            return false;
        }
    }
    options->pluginDirectory = parser.value(pluginDir);
    if (parser.isSet(product)) {
        bool ok = false;
        options->product = parser.value(product).toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("bad product code \"%1\"").arg(Excerpt::of(parser.value(product)));
            return false;
        }
        options->productGiven = true;
    }
    if (parser.isSet(size)) {
        const QStringList sides = parser.value(size).split(QLatin1Char('x'));
        bool wide = false;
        bool high = false;
        const QSize given = sides.size() == 2 ? QSize(sides.at(0).toInt(&wide), sides.at(1).toInt(&high)) : QSize();
        if (!wide || !high || given.width() < MinimumSide || given.height() < MinimumSide || given.width() > MaximumSide
            || given.height() > MaximumSide) {
            *error = QStringLiteral("bad window size \"%1\" (WIDTHxHEIGHT, each from %2 to %3)")
                         .arg(Excerpt::of(parser.value(size)))
                         .arg(MinimumSide)
                         .arg(MaximumSide);
            return false;
        }
        options->size = given;
    }
    options->productFiles = parser.values(productFile);
    options->verbose = parser.isSet(verbose);
    options->script = parser.value(script);
    options->screenshot = parser.value(screenshot);
    return true;
}

namespace {
// Whether one of `options` is among the arguments, alone or with "=VALUE".
bool given(int argc, char** argv, std::initializer_list<const char*> options)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : options) {
            const size_t length = std::strlen(option);
            if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '='))
                return true;
        }
    }
    return false;
}
} // namespace

bool WorkbenchOptions::headless(int argc, char** argv)
{
    return given(
        argc, argv,
        {"--script", "-script", "--screenshot", "-screenshot", "--help", "-help", "-h", "--version", "-version", "-v"});
}

bool WorkbenchOptions::verboseGiven(int argc, char** argv)
{
    return given(argc, argv, {"--verbose", "-verbose"});
}
