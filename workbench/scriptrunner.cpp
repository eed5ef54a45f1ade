// SPDX-License-Identifier: MIT
#include "scriptrunner.h"

#include "core/command.h"
#include "core/excerpt.h"
#include "core/exporttypes.h"
#include "core/toolsinterface.h"
#include "device/journal.h"
#include "device/moveplanner.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "journalview.h"
#include "mainwindow.h"
#include "model/productdescription.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "motionplot.h"
#include "pluginhost.h"
#include "rampwriter.h"
#include "safefile.h"
#include "scriptfile.h"
#include "scriptparser.h"
#include "session.h"
#include "toolpanel.h"
#include "userinput.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTextStream>
#include <QTimer>

#include <cmath>
#include <limits>

namespace {
// How `print` shows a property value.
QString valueText(const QObject* object, const QString& property, const QVariant& value)
{
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(property.toLatin1().constData());
    if (index >= 0 && meta->property(index).isEnumType()) {
        const QMetaEnum enumerator = meta->property(index).enumerator();
        const QByteArray keys = enumerator.isFlag() ? enumerator.valueToKeys(value.toInt())
                                                    : QByteArray(enumerator.valueToKey(value.toInt()));
        if (!keys.isEmpty())
            return QString::fromLatin1(keys);
    }
    switch (int(value.type())) {
    case QVariant::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QVariant::Size:
        return QStringLiteral("%1x%2").arg(value.toSize().width()).arg(value.toSize().height());
    case QVariant::Point:
        return QStringLiteral("%1,%2").arg(value.toPoint().x()).arg(value.toPoint().y());
    case QVariant::Rect: {
        const QRect r = value.toRect();
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    case QVariant::StringList:
        return value.toStringList().join(QStringLiteral(", "));
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QLatin1String(value.typeName()));
}
} // namespace

ScriptRunner::ScriptRunner(Session& session, MainWindow& window, QTextStream& out, QTextStream& err)
    : m_session(session)
    , m_host(session.host())
    , m_window(window)
    , m_out(out)
    , m_err(err)
{
}

int ScriptRunner::runFile(const QString& fileName)
{
    m_fileName = fileName;
    QString text;
    ScriptFile::Error fileError;
    if (!ScriptFile::read(fileName, &text, &fileError)) {
        m_err << fileName;
        if (fileError.line > 0)
            m_err << ':' << fileError.line << ':' << fileError.column;
        m_err << ": error: " << fileError.message << '\n';
        m_err.flush();
        return ErrorExitCode;
    }
    const SafeFile::Claim running(fileName, QStringLiteral("the script being run")); // not to be saved over
    // Replies wait for `refresh` or `wait`, as they wait for the window's
    // event loop in a recorded session.
    m_host.setRepliesDeliveredByEventLoop(false);
    // Each line runs as soon as it is read: the run ends at the first bad
    // line, after the lines before it ran.
    QString error;
    int line = 0;
    ScriptParser::Error parseError;
    const bool parsed = ScriptParser::parse(
        text,
        [&](const ScriptCommand& command) {
            if (run(command, &error))
                return true;
            line = command.line;
            return false;
        },
        &parseError);
    if (parsed && line == 0)
        return 0;
    if (line == 0) {
        error = parseError.message;
        line = parseError.line;
    }
    m_out.flush();
    m_err << fileName << ':' << line << ": error: " << error << '\n';
    m_err.flush();
    return ErrorExitCode;
}

bool ScriptRunner::run(const ScriptCommand& command, QString* error)
{
    const bool done = execute(command, error);
    m_out.flush();
    // The event loop runs once before the next command, as the window's does
    // between two actions. Replies are not among what it delivers: they wait
    // in the module for `refresh` or `wait`.
    m_session.runEventLoopOnce();
    return done;
}

bool ScriptRunner::execute(const ScriptCommand& command, QString* error)
{
    SimulatedModule* module = m_host.module();
    switch (command.kind) {
    case ScriptCommand::Product:
        return m_host.openProduct(int(command.number), error);
    case ScriptCommand::Open:
        return requireModule(error) && m_host.openTool(quint8(command.number), error);
    case ScriptCommand::Tool:
        return requireModule(error) && makeCurrent(quint8(command.number), error);
    case ScriptCommand::Close:
        return requireModule(error) && close(command.number, error);
    case ScriptCommand::Show:
        if (!requireTool(error))
            return false;
        m_window.toolPanel()->showTool();
        return true;
    case ScriptCommand::Hide:
        if (!requireTool(error))
            return false;
        m_window.toolPanel()->hideTool();
        return true;
    case ScriptCommand::Set:
    case ScriptCommand::Click:
    case ScriptCommand::Hover: {
        QObject* target = requireTool(error) ? find(command.name, error) : nullptr;
        if (!target)
            return false;
        UserInput::Result result = UserInput::Failed;
        if (command.kind == ScriptCommand::Set)
            result = UserInput::set(target, command.text, error);
        else if (command.kind == ScriptCommand::Click)
            result = UserInput::click(target, error);
        else
            result = UserInput::hover(target, command.enter, error);
        if (result == UserInput::Disabled)
            warn(command.line, QStringLiteral("\"%1\" is disabled: nothing happens").arg(Excerpt::of(command.name)));
        return result != UserInput::Failed;
    }
    case ScriptCommand::Device:
        return requireModule(error) && setDevice(command, error);
    case ScriptCommand::Advance:
        if (!requireModule(error))
            return false;
        m_session.advance(command.number);
        return true;
    case ScriptCommand::Refresh:
        if (!requireModule(error))
            return false;
        m_session.refresh();
        return true;
    case ScriptCommand::Poll:
        return requireModule(error) && module->poll(m_host.motor(), command.name, error);
    case ScriptCommand::Reply:
        return requireTool(error) && reply(command, error);
    case ScriptCommand::Export:
        if (!requireModule(error))
            return false;
        m_host.exportValue(ExportTypes::byName(command.name), int(command.number));
        return true;
    case ScriptCommand::Wait:
        // The event loop runs while the time passes, as in the window: the
        // tools' timers fire as it passes, and the replies are delivered.
        m_session.advance(command.number);
        m_session.runEventLoopOnce();
        m_host.deliverReplies();
        return true;
    case ScriptCommand::Print:
        return requireTool(error) && print(command, error);
    case ScriptCommand::Journal: {
        if (!requireModule(error))
            return false;
        const QStringList lines = module->journal()->takeNewLines();
        for (const QString& line : lines)
            m_out << line << '\n';
        return true;
    }
    case ScriptCommand::Plan:
        if (!requireModule(error))
            return false;
        plan(command.number);
        return true;
    case ScriptCommand::Design:
        return requireModule(error) && design(command, error);
    case ScriptCommand::Save:
        if (command.name == QLatin1String("journal"))
            return m_session.journal().saveTo(command.text, error);
        // The samples come from the session, a picture from the window's plot.
        return m_window.motionPlot()->save(command.text, error);
    }
    return true;
}

void ScriptRunner::plan(qint64 distance)
{
    printPlan(MovePlanner::planMoveBy(*m_host.module()->device(), m_host.motor(), distance));
}

void ScriptRunner::printPlan(const MovePlanner::Plan& plan)
{
    const auto seconds = [](double value) { return QString::number(value, 'f', 3); };
    // Positions whole, in the device's 32-bit frame.
    const auto position = [](double value) { return qint32(quint32(quint64(qint64(std::llround(value))))); };
    const auto velocity = &MovePlans::velocityText;
    m_out << "plan.duration = " << (plan.arrives() ? seconds(plan.arrival) : QStringLiteral("never")) << '\n';
    m_out << "plan.peakVelocity = " << velocity(plan.peakVelocity) << '\n';
    for (const MovePlanner::Phase& phase : plan.phases) {
        m_out << "plan.phase = " << phase.name << ' ' << seconds(phase.startTime) << ' ' << seconds(phase.endTime)
              << ' ' << position(phase.startPosition) << ' ' << position(phase.endPosition) << ' '
              << velocity(phase.startVelocity) << ' ' << velocity(phase.endVelocity) << '\n';
    }
}

bool ScriptRunner::design(const ScriptCommand& command, QString* error)
{
    RampDesigns& designs = m_session.designs();
    ScriptParser::Design words;
    if (!ScriptParser::readDesign(command.words, &words, error))
        return false;
    if (words.form == ScriptParser::Design::Apply || words.form == ScriptParser::Design::Undo) {
        // Written through the tool of the motor designed for, as the window's Apply and Undo do.
        return RampWriter::apply(m_host, designs, words.form == ScriptParser::Design::Undo, error);
    }
    RampDesigns::Goal goal;
    goal.distance = words.distance;
    goal.rule = words.form == ScriptParser::Design::Fastest ? RampDesigner::Rule::Fastest
                : words.gentlest                            ? RampDesigner::Rule::Gentlest
                                                            : RampDesigner::Rule::Scaled;
    goal.seconds = words.seconds;
    goal.maxVelocity = words.maxVelocity;
    goal.maxAcceleration = words.maxAcceleration;
    const RampDesigner::Proposal& proposal = designs.design(m_host.motor(), goal);
    if (!proposal.error.isEmpty()) {
        *error = proposal.error;
        return false;
    }
    if (!proposal.feasible) {
        m_out << "design.infeasible = " << proposal.limit << ' ' << QString::number(proposal.limitSeconds, 'f', 3)
              << '\n';
        return true;
    }
    for (const RampDesigner::Setting& setting : proposal.changed())
        m_out << "design." << setting.name << " = " << setting.proposed << '\n';
    printPlan(proposal.plan);
    return true;
}

bool ScriptRunner::setDevice(const ScriptCommand& command, QString* error)
{
    // A value the product's description does not allow is refused, as the
    // host's own editors refuse it; within that, the device keeps what it is given.
    SimulatedDevice* device = m_host.module()->device();
    const SimulatedDevice::Range range = device->range(command.name);
    if (command.number < range.minimum || command.number > range.maximum) {
        *error = QStringLiteral("%1 is out of the range of %2 \"%3\" (%4 to %5)")
                     .arg(command.number)
                     .arg(range.kind, Excerpt::of(command.name))
                     .arg(range.minimum)
                     .arg(range.maximum);
        return false;
    }
    return device->setValue(m_host.motor(), command.name, command.number, error);
}

bool ScriptRunner::reply(const ScriptCommand& command, QString* error)
{
    ToolsInterface* tool = m_host.tool();
    SimulatedModule* module = m_host.module();
    int status = Command::StatusOk;
    int address = module ? module->moduleAddress() : 0;
    int code = ZYRAModuleInterface::RegisterReadCommand;
    int motor = tool->motorNumber();
    int type = 0;
    int value = 0;
    for (const auto& field : command.fields) {
        qint64 number = 0;
        const bool isNumber = ScriptParser::readNumber(field.second, &number);
        const int narrowed = int(quint32(quint64(number)));
        if (field.first == QLatin1String("status")) {
            status = narrowed;
        } else if (field.first == QLatin1String("address")) {
            address = narrowed;
        } else if (field.first == QLatin1String("command")) {
            code = isNumber ? narrowed : ZYRAModuleInterface::RegisterReadCommand;
        } else if (field.first == QLatin1String("motor")) {
            motor = narrowed;
        } else if (field.first == QLatin1String("value")) {
            value = narrowed;
        } else if (isNumber) {
            type = narrowed;
        } else {
            const XmlProductIC* ic = module ? module->getIcProduct(0) : nullptr;
            const XmlValueRegister* reg = ic ? ic->getRegisterByName(field.second, true) : nullptr;
            if (!reg) {
                *error = QStringLiteral("the product has no register \"%1\"").arg(Excerpt::of(field.second));
                return false;
            }
            type = reg->address();
        }
    }
    // The host finds the tool's reply slot by its signature.
    const QMetaObject* meta = tool->metaObject();
    const int index = meta->indexOfSlot("IN_replyValue(Command*)");
    if (index < 0) {
        *error = QStringLiteral("the tool has no slot IN_replyValue(Command*)");
        return false;
    }
    Command reply(status, address, code, type, quint8(motor), value);
    meta->method(index).invoke(tool, Qt::DirectConnection, Q_ARG(Command*, &reply));
    return true;
}

bool ScriptRunner::print(const ScriptCommand& command, QString* error)
{
    QObject* object = find(command.name, error);
    if (!object)
        return false;
    QString text;
    auto* widget = qobject_cast<QWidget*>(object);
    if (command.text == QLatin1String("class")) {
        text = QLatin1String(object->metaObject()->className());
    } else if (command.text == QLatin1String("hidden") && widget) {
        text = widget->isHidden() ? QStringLiteral("true") : QStringLiteral("false");
    } else {
        const QByteArray name = command.text.toLatin1();
        const QVariant value = object->property(name.constData());
        // A property that is there but holds nothing prints empty.
        const bool exists = object->metaObject()->indexOfProperty(name.constData()) >= 0
                            || object->dynamicPropertyNames().contains(name);
        if (!value.isValid() && !exists) {
            *error = QStringLiteral("\"%1\" (%2) has no property \"%3\"")
                         .arg(Excerpt::of(command.name), QLatin1String(object->metaObject()->className()),
                              Excerpt::of(command.text));
            return false;
        }
        text = value.isValid() ? valueText(object, command.text, value) : QString();
    }
    m_out << command.name << '.' << command.text << " = " << text << '\n';
    return true;
}

bool ScriptRunner::makeCurrent(quint8 motor, QString* error)
{
    return requireToolOf(motor, error) && m_host.setCurrentTool(motor);
}

bool ScriptRunner::close(qint64 motor, QString* error)
{
    if (motor < 0) {
        if (!requireTool(error))
            return false;
        motor = m_host.motor();
    }
    if (!requireToolOf(quint8(motor), error))
        return false;
    m_host.closeTool(quint8(motor));
    return true;
}

bool ScriptRunner::requireToolOf(quint8 motor, QString* error) const
{
    if (m_host.tool(motor))
        return true;
    *error = QStringLiteral("no tool of motor %1 is open (open: %2)").arg(motor).arg(m_host.openMotorsText());
    return false;
}

bool ScriptRunner::requireModule(QString* error) const
{
    if (m_host.module())
        return true;
    *error = QStringLiteral("no product yet: \"product CODE\" comes first");
    return false;
}

bool ScriptRunner::requireTool(QString* error) const
{
    if (m_host.tool())
        return true;
    *error = QStringLiteral("no tool is open: \"open\" comes first");
    return false;
}

QObject* ScriptRunner::find(const QString& name, QString* error) const
{
    ToolsInterface* tool = m_host.tool();
    if (name == QLatin1String("tool"))
        return tool;
    // Editors share their name with the object that binds them: the widget wins.
    if (QWidget* widget = tool->findChild<QWidget*>(name))
        return widget;
    if (QObject* object = tool->findChild<QObject*>(name))
        return object;
    *error = QStringLiteral("the tool has no widget or object \"%1\"").arg(Excerpt::of(name));
    return nullptr;
}

void ScriptRunner::warn(int line, const QString& message)
{
    m_err << m_fileName << ':' << line << ": warning: " << message << '\n';
    m_err.flush();
}
