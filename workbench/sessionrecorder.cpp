// SPDX-License-Identifier: MIT
#include "sessionrecorder.h"

#include "core/excerpt.h"
#include "core/exporttypes.h"
#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "elided.h"
#include "exportcontrols.h"
#include "linefile.h"
#include "pluginhost.h"
#include "scriptsyntax.h"
#include "scriptwriter.h"
#include "session.h"
#include "toolarea.h"
#include "toolpanel.h"
#include "widgets/xmlregisterwidget.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QGroupBox>
#include <QSpinBox>

#include <algorithm>
#include <limits>

namespace {
constexpr qint64 kLongestAdvanceMs = std::numeric_limits<int>::max(); // what one `advance` takes

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString notRecorded(const QString& what)
{
    return ScriptWriter::comment(QStringLiteral("not recorded: ") + what);
}

// The line of a command the recorder makes itself, or why it cannot be written.
QString scriptLine(const ScriptCommand& command)
{
    QString line;
    QString refusal;
    return ScriptWriter::write(command, &line, &refusal) ? line : notRecorded(refusal);
}
} // namespace

SessionRecorder::SessionRecorder(Session& session, QObject* parent)
    : QObject(parent)
    , m_host(session.host())
{
    connect(&m_host, &PluginHost::moduleChanged, this, &SessionRecorder::moduleChanged);
    connect(&m_host, &PluginHost::toolOpened, this, &SessionRecorder::toolOpened);
    connect(&m_host, &PluginHost::toolClosing, this, &SessionRecorder::toolClosing);
    connect(&session, &Session::refreshed, this, &SessionRecorder::refreshed);
    const QList<ToolsInterface*> tools = m_host.tools();
    for (ToolsInterface* tool : tools)
        watch(tool);
}

SessionRecorder::~SessionRecorder()
{
    stop();
}

bool SessionRecorder::isRecording() const
{
    return m_file != nullptr;
}

bool SessionRecorder::start(const QString& fileName, QString* error)
{
    stop();
    // "workbench", whatever the executable is called: recordings begin as they always did.
    QString header = QStringLiteral("recorded by workbench");
    if (!QCoreApplication::applicationVersion().isEmpty())
        header += QLatin1Char(' ') + QCoreApplication::applicationVersion();
    header +=
        QStringLiteral(" on %1 UTC").arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (const ProductCatalog::Entry* entry = m_host.module() ? m_host.catalog().find(m_host.variant()) : nullptr)
        header += QStringLiteral(", product %1 (%2)").arg(entry->variant).arg(elided(entry->designation));
    auto file = std::make_unique<LineFile>();
    QString reason;
    if (!file->open(fileName, &reason) || !file->writeLine(ScriptWriter::comment(header).toUtf8(), &reason)) {
        *error = QStringLiteral("cannot write the recording \"%1\": %2").arg(Excerpt::of(fileName), reason);
        return false;
    }
    m_file = std::move(file);
    m_fileName = fileName;
    m_writtenMs = deviceTime();
    m_addressed = m_host.tool() ? m_host.tool()->motorNumber() : -1;
    m_closes.clear();
    forgetDelivery();
    emit recordingChanged(true);
    return true;
}

void SessionRecorder::stop()
{
    if (!isRecording())
        return;
    // The replay ends where the session did.
    writeCloses();
    catchUp(deviceTime());
    if (!isRecording())
        return;
    QString reason;
    const bool closed = m_file->close(&reason);
    m_file.reset();
    if (!closed)
        emit failed(QStringLiteral("the recording \"%1\" may not have reached the disk whole: %2")
                        .arg(Excerpt::of(m_fileName), reason));
    emit recordingChanged(false);
}

void SessionRecorder::watchToolArea(ToolArea* area)
{
    m_area = area;
    const QList<ToolsInterface*> tools = m_host.tools();
    for (ToolsInterface* tool : tools) {
        if (ToolPanel* panel = area->panel(tool->motorNumber()))
            watchPanel(panel);
    }
}

void SessionRecorder::watchPanel(ToolPanel* panel)
{
    // A panel stays for its motor while tools of that motor come and go.
    if (m_panels.contains(panel))
        return;
    m_panels.insert(panel);
    connect(panel, &QObject::destroyed, this, [this](QObject* object) { m_panels.remove(object); });
    connect(panel, &ToolPanel::shown, this,
            [this, panel] { act(panel->tool(), ScriptCommand::make(ScriptCommand::Show)); });
    connect(panel, &ToolPanel::hidden, this,
            [this, panel] { act(panel->tool(), ScriptCommand::make(ScriptCommand::Hide)); });
}

void SessionRecorder::watchExports(ExportControls* exports)
{
    connect(exports, &ExportControls::unitsExported, this, [this](int units) {
        act(nullptr, ScriptCommand::make(ScriptCommand::Export, QLatin1String(ExportTypes::UpdateUnits.name), units));
    });
    // The window sets the mode in the device of the current motor before exporting it.
    connect(exports, &ExportControls::commutationModeExported, this, [this](int mode) {
        act(m_host.tool(), ScriptCommand::make(ScriptCommand::Device, QStringLiteral("commutationMode"), mode));
        act(nullptr, ScriptCommand::make(ScriptCommand::Export, QLatin1String(ExportTypes::CommutationMode.name), mode));
    });
}

void SessionRecorder::moduleChanged(SimulatedModule* module)
{
    if (!isRecording() || !module)
        return;
    // A fresh module: what was due on the old one no longer matters.
    m_closes.clear();
    forgetDelivery();
    m_addressed = -1;
    write(scriptLine(ScriptCommand::make(ScriptCommand::Product, m_host.variant())));
    m_writtenMs = deviceTime();
}

void SessionRecorder::toolOpened(ToolsInterface* tool)
{
    const quint8 motor = tool->motorNumber();
    watch(tool);
    // The area has taken the tool into the panel of its motor by now.
    if (ToolPanel* panel = m_area ? m_area->panel(motor) : nullptr)
        watchPanel(panel);
    if (!isRecording())
        return;
    // The script's `open` replaces the tool of the same motor as this opening did.
    const auto replaced = [motor](const PendingClose& close) { return close.motor == motor; };
    m_closes.erase(std::remove_if(m_closes.begin(), m_closes.end(), replaced), m_closes.end());
    act(nullptr, ScriptCommand::make(ScriptCommand::Open, motor));
    m_addressed = motor;
}

void SessionRecorder::toolClosing(ToolsInterface* tool)
{
    unwatch(tool);
    if (!isRecording())
        return;
    // Written once the event loop runs, unless a new tool of the motor in the
    // same call (which the script's `open` replaces too) or a new product
    // takes it back.
    m_closes.append({tool->motorNumber(), deviceTime()});
    QMetaObject::invokeMethod(this, &SessionRecorder::writeCloses, Qt::QueuedConnection);
}

void SessionRecorder::refreshed()
{
    if (!isRecording())
        return;
    writeCloses();
    catchUp(deviceTime());
    write(scriptLine(ScriptCommand::make(ScriptCommand::Refresh)));
    // The script's refresh delivers what is queued, as the clock's did.
    forgetDelivery();
}

void SessionRecorder::writeCloses()
{
    const QList<PendingClose> closes = m_closes;
    m_closes.clear();
    for (const PendingClose& close : closes) {
        catchUp(close.timeMs);
        write(scriptLine(ScriptCommand::make(ScriptCommand::Close, close.motor)));
        if (close.motor == m_addressed)
            m_addressed = -1;
    }
}

void SessionRecorder::watch(ToolsInterface* tool)
{
    // Connected after the tool's own slots: an action is written once the tool has done it.
    const QList<QSpinBox*> spinBoxes = tool->findChildren<QSpinBox*>();
    for (QSpinBox* box : spinBoxes) {
        box->installEventFilter(this);
        connect(box, &QAbstractSpinBox::editingFinished, this, [this, tool, box] {
            if (m_edited.remove(box))
                actOn(tool, box, ScriptCommand::make(ScriptCommand::Set, QString(), QString::number(box->value())));
        });
        connect(box, &QObject::destroyed, this, [this](QObject* object) { m_edited.remove(object); });
    }
    const QList<QComboBox*> combos = tool->findChildren<QComboBox*>();
    for (QComboBox* combo : combos) {
        connect(combo, QOverload<int>::of(&QComboBox::activated), this, [this, tool, combo](int index) {
            actOn(tool, combo, ScriptCommand::make(ScriptCommand::Set, QString(), combo->itemText(index)));
        });
    }
    const QList<QAbstractButton*> buttons = tool->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        connect(button, &QAbstractButton::clicked, this, [this, tool, button](bool checked) {
            if (button->isCheckable())
                actOn(tool, button, ScriptCommand::make(ScriptCommand::Set, QString(), onOff(checked)));
            else
                actOn(tool, button, ScriptCommand::make(ScriptCommand::Click));
        });
    }
    const QList<QGroupBox*> groups = tool->findChildren<QGroupBox*>();
    for (QGroupBox* group : groups) {
        connect(group, &QGroupBox::clicked, this, [this, tool, group](bool checked) {
            if (group->isCheckable())
                actOn(tool, group, ScriptCommand::make(ScriptCommand::Set, QString(), onOff(checked)));
        });
    }
    const QList<XmlRegisterWidget*> editors = tool->findChildren<XmlRegisterWidget*>();
    for (XmlRegisterWidget* editor : editors) {
        connect(editor, &XmlRegisterWidget::hoverEnterWidget, this,
                [this, tool, editor] { actOn(tool, editor->widget(), ScriptCommand::hover(QString(), true)); });
        connect(editor, &XmlRegisterWidget::hoverLeaveWidget, this,
                [this, tool, editor] { actOn(tool, editor->widget(), ScriptCommand::hover(QString(), false)); });
    }
}

void SessionRecorder::unwatch(ToolsInterface* tool)
{
    // Nothing of a tool on its way out is an action of the user.
    const QList<QObject*> children = tool->findChildren<QObject*>();
    for (QObject* child : children) {
        disconnect(child, nullptr, this, nullptr);
        child->removeEventFilter(this);
        m_edited.remove(child);
    }
}

bool SessionRecorder::recordDesign(ToolsInterface* tool, const QList<ScriptCommand>& commands,
                                   const std::function<bool()>& action)
{
    m_designing = true;
    const bool done = action();
    m_designing = false;
    if (done) {
        for (const ScriptCommand& command : commands)
            act(tool, command);
    }
    return done;
}

bool SessionRecorder::eventFilter(QObject* watched, QEvent* event)
{
    if (m_designing) {
        m_edited.remove(watched);
        return QObject::eventFilter(watched, event);
    }
    // Only the user's keys, wheel and clicks change a spin box this way; the
    // program's changes never come as events.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* box = qobject_cast<QAbstractSpinBox*>(watched);
        if (box && box->isEnabled() && !box->isReadOnly())
            m_edited.insert(watched);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QString SessionRecorder::scriptName(ToolsInterface* tool, QWidget* widget)
{
    // The script takes "tool" for the tool itself, and the first widget of a name.
    QString name = widget ? widget->objectName() : QString();
    if (name.isEmpty() || name == QLatin1String("tool") || tool->findChild<QWidget*>(name) != widget)
        return QString();
    return name;
}

void SessionRecorder::actOn(ToolsInterface* tool, QWidget* widget, ScriptCommand command)
{
    if (!isRecording())
        return;
    command.name = scriptName(tool, widget);
    if (command.name.isEmpty()) {
        write(notRecorded(QStringLiteral("%1 on a %2 the script cannot find by its name \"%3\"")
                              .arg(QLatin1String(ScriptSyntax::of(command.kind).word),
                                   QLatin1String(widget ? widget->metaObject()->className() : "widget"),
                                   widget ? widget->objectName() : QString())));
        return;
    }
    act(tool, command);
}

void SessionRecorder::act(ToolsInterface* tool, const ScriptCommand& command)
{
    if (!isRecording())
        return;
    QString line;
    QString refusal;
    if (!ScriptWriter::write(command, &line, &refusal)) {
        write(notRecorded(refusal));
        return;
    }
    writeCloses();
    catchUp(deviceTime());
    if (m_delivered)
        write(scriptLine(ScriptCommand::make(ScriptCommand::Wait, 0)));
    if (tool && tool->motorNumber() != m_addressed) {
        write(scriptLine(ScriptCommand::make(ScriptCommand::Tool, tool->motorNumber())));
        m_addressed = tool->motorNumber();
    }
    write(line);
    // Marks whether the event loop delivers what the action queued before
    // the next action: the replay then runs its loop once.
    forgetDelivery();
    const int action = m_actions;
    QMetaObject::invokeMethod(
        this,
        [this, action] {
            if (action == m_actions)
                m_delivered = true;
        },
        Qt::QueuedConnection);
}

void SessionRecorder::catchUp(qint64 timeMs)
{
    while (isRecording() && timeMs > m_writtenMs) {
        const qint64 step = qMin(timeMs - m_writtenMs, kLongestAdvanceMs);
        write(scriptLine(ScriptCommand::make(ScriptCommand::Advance, step)));
        m_writtenMs += step;
    }
}

void SessionRecorder::forgetDelivery()
{
    m_delivered = false;
    ++m_actions; // a mark still queued no longer counts
}

qint64 SessionRecorder::deviceTime() const
{
    SimulatedModule* module = m_host.module();
    return module ? module->device()->timeMs() : m_writtenMs;
}

void SessionRecorder::write(const QString& line)
{
    if (!m_file)
        return;
    QString reason;
    if (m_file->writeLine(line.toUtf8(), &reason))
        return;
    // The file keeps the lines before, whole, and replays up to there.
    const QString message = QStringLiteral(
                                "cannot write the recording \"%1\": %2; it stops here, after its last whole line")
                                .arg(Excerpt::of(m_fileName), reason);
    m_file.reset();
    emit failed(message);
    emit recordingChanged(false);
}
