// SPDX-License-Identifier: MIT
// Costs of the position tools, each against a baseline measured in the same run.
//   bench_positionmode [--quick]
#include "core/command.h"
#include "device/journal.h"
#include "device/moveplanner.h"
#include "device/rampdesigner.h"
#include "device/rampgenerator.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "fixture.h"
#include "genericpositionmode.h"
#include "measure.h"
#include "model/productdescription.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "register/positionmode_zell.h"
#include "ui_positionmode_axisparameter.h"
#include "ui_positionmode_orsax.h"
#include "ui_positionmode_veltrax.h"
#include "ui_positionmode_veltrax_ap.h"
#include "ui_positionmode_zell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSpinBox>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {
constexpr int kToolsForMemory = 40;

struct Product
{
    int variant;
    const char* name;
};

const Product kProducts[] = {
    {40, "Zell"}, {100, "Orsax"}, {105, "rotary AP"}, {108, "linear AP"}, {135, "Veltrax"}, {139, "Veltrax AP"},
};

// The tool's form on a plain widget, as the baseline of opening the tool.
template <class Form>
std::unique_ptr<QWidget> buildForm()
{
    auto widget = std::make_unique<QWidget>();
    Form form;
    form.setupUi(widget.get());
    return widget;
}

std::unique_ptr<QWidget> bareForm(int variant)
{
    switch (variant) {
    case 40:
        return buildForm<Ui_PositionMode_Zell>();
    case 100:
        return buildForm<Ui_PositionMode_Orsax>();
    case 105:
    case 108:
        return buildForm<Ui_PositionMode_AxisParameter>();
    case 135:
        return buildForm<Ui_PositionMode_Veltrax>();
    default:
        return buildForm<Ui_PositionMode_Veltrax_AP>();
    }
}

ToolsInterface* openTool(Fixture& fixture)
{
    GenericPositionMode* root = fixture.root();
    root->isUsableForVariant(fixture.module()->product()->variant());
    ToolsInterface* tool = root->clone(QStringLiteral("Position mode"), 0, fixture.module());
    tool->showPlugin();
    tool->grab();
    return tool;
}

void benchOpening()
{
    printHeading(QStringLiteral("Opening a tool (check, clone, show, first paint, and closing it) vs its bare form"));
    for (const Product& product : kProducts) {
        Fixture fixture(product.variant);
        const double bare = medianNanoseconds([&] { bareForm(product.variant)->grab(); });
        const double open = medianNanoseconds([&] {
            delete openTool(fixture);
            fixture.module()->journal()->clear();
        });
        printFigure(QStringLiteral("open %1 (%2)").arg(product.variant).arg(QLatin1String(product.name)), open, bare,
                    QStringLiteral("ns"), QStringLiteral("<= 1.2x"));
    }
}

void benchReplies()
{
    printHeading(QStringLiteral("A reply for the actual position reaching the Zell tool vs QSpinBox::setValue"));
    QSpinBox spinBox;
    spinBox.setRange(-2147483647, 2147483647);
    int next = 0;
    const double setValue = medianNanoseconds([&] { spinBox.setValue(++next & 1023); });

    Fixture fixture(40);
    auto* zell = qobject_cast<PositionMode_Zell*>(fixture.open());
    const XmlValueRegister* actual = fixture.module()->getIcProduct(0)->getRegisterByName(
        QStringLiteral("FOC_PID_POSITION_ACTUAL"), true);
    const int readCommand = fixture.module()->registerReadChannel();
    const quint8 address = fixture.module()->moduleAddress();

    const double own = medianNanoseconds([&] {
        Command reply(100, address, readCommand, actual->address(), 0, ++next & 1023);
        zell->IN_replyValue(&reply);
    });
    printFigure(QStringLiteral("reply of its own motor"), own, setValue, QStringLiteral("ns"), QStringLiteral("<= 3x"));

    Command other(100, address, readCommand, actual->address(), 1, 5);
    const double foreign = medianNanoseconds([&] { zell->IN_replyValue(&other); });
    printFigure(QStringLiteral("reply of another motor"), foreign, setValue, QStringLiteral("ns"),
                QStringLiteral("< 100 ns"));
}

void benchRefreshAndMove()
{
    printHeading(QStringLiteral("Trace refresh and one move per tool vs one journaled device access"));
    for (const Product& product : kProducts) {
        Fixture fixture(product.variant);
        ToolsInterface* tool = fixture.open();
        fixture.show();
        SimulatedModule* module = fixture.module();
        const auto* parameter = module->product()->parameters().value(0);
        const auto* ic = module->getIcProduct(0);
        const auto* field = ic ? ic->fields().value(0) : nullptr;
        const double access = medianNanoseconds([&] {
            if (field)
                module->readField(field, 0, DeviceAccess::Journaled);
            else
                module->readParameter(parameter, 0, DeviceAccess::Journaled);
            module->journal()->clear();
        });
        const double refresh = medianNanoseconds([&] {
            fixture.refresh();
            module->journal()->clear();
        });
        printFigure(QStringLiteral("refresh %1 (%2)").arg(product.variant).arg(QLatin1String(product.name)), refresh,
                    access, QStringLiteral("ns"), QStringLiteral("-"));
        const double move = medianNanoseconds([&] {
            fixture.click(QStringLiteral("btnMoveAbsolute"));
            Fixture::deliver();
            module->journal()->clear();
        });
        printFigure(QStringLiteral("move %1 (%2)").arg(product.variant).arg(QLatin1String(product.name)), move, access,
                    QStringLiteral("ns"), QStringLiteral("-"));
        Q_UNUSED(tool);
    }
}

void benchMemory()
{
    printHeading(QStringLiteral("Heap memory added per open tool vs per bare form (mean of %1)").arg(kToolsForMemory),
                 "mean");
    for (const Product& product : kProducts) {
        Fixture fixture(product.variant);
        // Warm up once so that shared resources (fonts, icons, the drawing) are loaded.
        delete openTool(fixture);
        bareForm(product.variant)->grab();

        const qint64 beforeForms = heapBytesInUse();
        std::vector<std::unique_ptr<QWidget>> forms;
        for (int i = 0; i < kToolsForMemory; ++i) {
            forms.push_back(bareForm(product.variant));
            forms.back()->grab();
        }
        const double perForm = double(heapBytesInUse() - beforeForms) / kToolsForMemory;

        const qint64 beforeTools = heapBytesInUse();
        std::vector<std::unique_ptr<ToolsInterface>> tools;
        for (int i = 0; i < kToolsForMemory; ++i) {
            tools.emplace_back(openTool(fixture));
            // The host's event loop hands out the replies to the reads a tool makes when it is shown
            // before the user opens the next one; undelivered, they would pile up with every tool
            // open. Nor is the host's journal the tool's memory.
            Fixture::deliver();
            fixture.module()->journal()->clear();
        }
        const double perTool = double(heapBytesInUse() - beforeTools) / kToolsForMemory;
        printFigure(QStringLiteral("memory %1 (%2)").arg(product.variant).arg(QLatin1String(product.name)), perTool,
                    perForm, QStringLiteral("B"), QStringLiteral("<= 2x"));
    }
}

void benchPlanning()
{
    printHeading(QStringLiteral("A move of 100000 simulated in 1 ms ticks vs planned"));
    // The default ramps of an eight-point product and of a trapezoid one, in position mode.
    const struct
    {
        int variant;
        const char* mode;
        const char* name;
    } ramps[] = {{40, "MOTION_MODE", "eight-point, 40"}, {100, "MODE_MOTION", "trapezoid, 100"}};
    for (const auto& ramp : ramps) {
        Fixture fixture(ramp.variant);
        fixture.setDevice(QLatin1String(ramp.mode), 3);
        const RampGenerator::Settings settings = fixture.device()->motionSettings(0);
        const RampGenerator::State start = fixture.device()->currentMotion(0);
        double arrival = 0;
        const double plan = medianNanoseconds([&] { arrival = MovePlanner::plan(settings, start, 100000).arrival; });
        qint64 ticks = 0;
        const double simulate = medianNanoseconds([&] {
            RampGenerator::State state = start;
            for (ticks = 1; !RampGenerator::step(settings, 100000, state, RampGenerator::TickSeconds); ++ticks) {}
        });
        // The ratio is how many times faster planning is.
        printFigure(
            QStringLiteral("%1 ticks (%2) vs one plan (%3 s)").arg(ticks).arg(QLatin1String(ramp.name)).arg(arrival, 0, 'f', 3),
            simulate, plan, QStringLiteral("ns"), QStringLiteral("at least 100x"));
    }
}

void benchDesign()
{
    printHeading(QStringLiteral("Designing a ramp for a move of 100000 vs planning the move"));
    // The default ramps again; each design asks for the move to take half
    // again as long as it takes now, and one twenty times as long (its
    // accelerations 400 times smaller); the slow goals (90 to 120 s) leave
    // settings of a few units, whose whole values the designer searches
    // longest.
    const struct
    {
        const char* name;
        double longer;  // times the move now, or ...
        double seconds; // ... when not 0, this long
        int variant;
        RampDesigner::Rule rule;
    } goals[] = {{"eight-point, 40, scaled", 1.5, 0, 40, RampDesigner::Rule::Scaled},
                 {"eight-point, 40, scaled", 20, 0, 40, RampDesigner::Rule::Scaled},
                 {"trapezoid, 100, scaled", 1.5, 0, 100, RampDesigner::Rule::Scaled},
                 {"trapezoid, 105, gentlest", 1.5, 0, 105, RampDesigner::Rule::Gentlest},
                 {"eight-point, 139, scaled", 0, 90, 139, RampDesigner::Rule::Scaled},
                 {"eight-point, 139, scaled", 0, 100, 139, RampDesigner::Rule::Scaled},
                 {"trapezoid, 105, scaled", 0, 120, 105, RampDesigner::Rule::Scaled}};
    for (const auto& goal : goals) {
        Fixture fixture(goal.variant);
        const RampDesigner::Ramp ramp = RampDesigner::ramp(*fixture.device(), 0);
        const RampGenerator::Settings settings = RampDesigner::settings(ramp, [&] {
            QVector<qint64> values;
            for (const RampDesigner::Setting& setting : ramp.settings)
                values.append(setting.now);
            return values;
        }());
        double now = 0;
        const double plan = medianNanoseconds(
            [&] { now = MovePlanner::plan(settings, RampGenerator::State(), 100000).arrival; });
        RampDesigner::Proposal proposal;
        const double design = medianNanoseconds([&] {
            proposal = RampDesigner::design(ramp, 100000, goal.seconds > 0 ? goal.seconds : now * goal.longer, goal.rule);
        });
        printFigure(QStringLiteral("design %1 s -> %2 s (%3) vs one plan")
                        .arg(now, 0, 'f', 3)
                        .arg(proposal.plan.arrival, 0, 'f', 3)
                        .arg(QLatin1String(goal.name)),
                    design, plan, QStringLiteral("ns"), QStringLiteral("design under 1 ms"));
    }
}

void benchAdvance()
{
    printHeading(QStringLiteral("One simulated hour of a long move: in 20 ms slices vs one advance"));
    // Device time for a move far beyond an hour (12 h at the Zell ramp's
    // 50000 positions/s, 48 h at 12345.67): it accelerates, then cruises, by
    // whole positions a step or by a fraction.
    constexpr int kHourMs = 3600 * 1000;
    constexpr int kSliceMs = 20;
    struct Cruise
    {
        const char* name;
        qint64 vMax; // RAMPER_V_MAX, hundredths of a position per second
    };
    for (const Cruise& cruise : {Cruise{"50000/s", 5000000}, Cruise{"12345.67/s", 1234567}}) {
        const auto moving = [&cruise] {
            auto fixture = std::make_unique<Fixture>(40);
            fixture->setDevice(QStringLiteral("MOTION_MODE"), 3);
            fixture->setDevice(QStringLiteral("RAMPER_V_MAX"), cruise.vMax);
            fixture->setDevice(QStringLiteral("FOC_PID_POSITION_TARGET"), 2147480000);
            return fixture;
        };
        const auto elapsed = [&](const std::function<void(SimulatedDevice*)>& advance) {
            const std::unique_ptr<Fixture> fixture = moving();
            QElapsedTimer timer;
            timer.start();
            advance(fixture->device());
            return double(timer.nsecsElapsed());
        };
        std::vector<double> once;
        once.reserve(15);
        for (int i = 0; i < 15; ++i)
            once.push_back(elapsed([](SimulatedDevice* device) { device->advance(kHourMs); }));
        std::sort(once.begin(), once.end());
        const double sliced = elapsed([](SimulatedDevice* device) {
            for (int ms = 0; ms < kHourMs; ms += kSliceMs)
                device->advance(kSliceMs);
        });
        // The ratio is how many times faster one advance is.
        printFigure(
            QStringLiteral("%1 slices of 20 ms vs 1 h, at %2").arg(kHourMs / kSliceMs).arg(QLatin1String(cruise.name)),
            sliced, once[once.size() / 2], QStringLiteral("ns"), QStringLiteral("one advance well under 1 s"));
    }
}

// The host decides where log lines go; its handler is not what is measured.
void dropMessage(QtMsgType, const QMessageLogContext&, const QString&)
{
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(dropMessage);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("Position tools: medians of %s\n", "15 timed batches of at least 2 ms each");
    benchOpening();
    benchReplies();
    benchRefreshAndMove();
    benchMemory();
    benchPlanning();
    benchDesign();
    benchAdvance();
    return 0;
}
