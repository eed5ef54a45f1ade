// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class ExportControls;
class PluginHost;
class Session;
class LineFile;
class QWidget;
class SimulatedModule;
struct ScriptCommand;
class ToolArea;
class ToolPanel;
class ToolsInterface;

// Writes what the user does in the workbench window as script lines, so that
// `workbench --script FILE` replays the session: products and tools opened,
// shown and closed, values typed and confirmed, items picked, buttons
// clicked, register editors hovered, host exports, and in between the device
// time that passed and the trace refreshes. Each line reaches the file as it
// is written, whole: a recording that fails ends with its last whole line.
class SessionRecorder : public QObject
{
    Q_OBJECT

public:
    explicit SessionRecorder(Session& session, QObject* parent = nullptr);
    ~SessionRecorder() override;

    // Starts a recording into `fileName` with a line saying what recorded it
    // and when; false and `error` set when the file cannot be written.
    bool start(const QString& fileName, QString* error);
    // Writes what is still due (a close, the time since the last line) and closes the file.
    void stop();
    bool isRecording() const;
    QString fileName() const { return m_fileName; }

    // The tools' panels and the export controls, whose user actions are recorded.
    void watchToolArea(ToolArea* area);
    void watchExports(ExportControls* exports);
    // A ramp design applied or undone in the window: `action` types into the
    // tool's editors, which is not the user typing; once it has succeeded,
    // `commands` (design lines that do the same) are recorded instead.
    bool recordDesign(ToolsInterface* tool, const QList<ScriptCommand>& commands, const std::function<bool()>& action);

signals:
    void recordingChanged(bool on);
    // A line could not be written; the recording has stopped.
    void failed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PendingClose
    {
        quint8 motor = 0;
        qint64 timeMs = 0;
    };

    void moduleChanged(SimulatedModule* module);
    void toolOpened(ToolsInterface* tool);
    void toolClosing(ToolsInterface* tool);
    void refreshed();
    void watchPanel(ToolPanel* panel);
    void watch(ToolsInterface* tool);
    void unwatch(ToolsInterface* tool);
    // A user action on `tool` (null: one that addresses no tool), recorded as `command`.
    void act(ToolsInterface* tool, const ScriptCommand& command);
    // The name the script finds `widget` of `tool` by; empty when none finds it.
    static QString scriptName(ToolsInterface* tool, QWidget* widget);
    // `command` done on `widget`, its name the one the script finds the widget by.
    void actOn(ToolsInterface* tool, QWidget* widget, ScriptCommand command);
    void writeCloses();
    void catchUp(qint64 timeMs);
    void forgetDelivery();
    qint64 deviceTime() const;
    void write(const QString& line);

    PluginHost& m_host;
    QPointer<ToolArea> m_area;
    QSet<QObject*> m_panels; // the panels watched
    std::unique_ptr<LineFile> m_file;
    QString m_fileName;
    qint64 m_writtenMs = 0; // the device time the script has advanced to
    int m_addressed = -1;   // the motor of the script's current tool; -1 unknown
    QList<PendingClose> m_closes;
    // The event loop delivered what an action left queued before the next
    // action came: the script runs its loop there too.
    bool m_delivered = false;
    int m_actions = 0;
    QSet<QObject*> m_edited;  // spin boxes the user typed into since their last confirmation
    bool m_designing = false; // a design is being written into the tool's editors
};
