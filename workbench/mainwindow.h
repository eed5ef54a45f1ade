// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QTimer>

class QAction;
class DesignBox;
class ExportControls;
class JournalView;
class MessageLog;
class QDockWidget;
class QTabWidget;
class QToolButton;
class MotionPlot;
class PlanBox;
class PluginHost;
class ProductPicker;
class QFrame;
class QLabel;
class QSplitter;
class Session;
class SessionRecorder;
class SimulatedModule;
class ToolArea;
class ToolPanel;
class ToolsInterface;

// The workbench window: product and motors, the host's exports, the open
// tools (one per motor at most), a live plot of the motion and the journal of
// device accesses.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The window's size when no screen limits it (and of its pictures).
    static constexpr QSize DefaultSize{1500, 960};

    explicit MainWindow(Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Device time follows real time, the clock refreshes the traces every
    // 100 ms and the views follow as they change; off (a scripted run), time
    // moves only when advanced, traces refresh on demand and the views draw
    // when asked (a screenshot, a picture).
    void setRealTime(bool on);
    // Connects the product, opens the tool of `motor` and shows it, as when
    // the user picks them; false and `error` set when that fails.
    bool openProduct(int variant, int motor, QString* error);
    // Opens the tool of `motor` beside the others and shows it, as when the
    // user checks the motor.
    bool openMotor(int motor, QString* error);

    // Shows Qt's messages from `log` in a view of their own, opened from the status bar.
    void setMessageLog(MessageLog* log);

    // Records what the user does as a script into `fileName`, starting from a
    // known state: the product connected fresh and its tools reopened and shown.
    bool startRecording(const QString& fileName, QString* error);
    void stopRecording();

    // The panel of the current tool (a panel without a tool when none is open).
    ToolPanel* toolPanel() const;
    Session& session() const { return m_session; }
    SessionRecorder* recorder() const { return m_recorder; }
    MotionPlot* motionPlot() const { return m_plot; }
    PlanBox* planBox() const { return m_planBox; }
    DesignBox* designBox() const { return m_designBox; }
    // The window as it looks now, with the plot drawn up to date.
    QPixmap screenshot();
    // Where the window opens on a screen whose free area is `available`: at
    // its default size where that fits, else as large as the area allows
    // with room for the window's frame; centred.
    static QRect openingGeometry(const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpRecording();
    void chooseRecording();
    void recordingChanged(bool on);
    void moduleChanged(SimulatedModule* module);
    void toolOpened(ToolsInterface* tool);
    void toolClosing(ToolsInterface* tool);
    void currentToolChanged(ToolsInterface* tool);
    void productChosen(int variant);
    void motorToggled(int motor, bool open);
    void showDeviceTime(qint64 timeMs);
    void showArrival(quint8 motor, double seconds, double plannedSeconds);
    void reportError(const QString& message);
    void fitTool();
    void orderTabsLater();
    void orderTabs();
    void drawDesign();
    // Writes the design typed (or undoes the last Apply) through the current tool.
    void applyDesign(bool undo);

    Session& m_session;
    PluginHost& m_host;
    ProductPicker* m_picker = nullptr;
    ExportControls* m_exports = nullptr;
    ToolArea* m_tools = nullptr;
    QFrame* m_toolFrame = nullptr;
    MotionPlot* m_plot = nullptr;
    PlanBox* m_planBox = nullptr;
    DesignBox* m_designBox = nullptr;
    JournalView* m_journal = nullptr;
    QLabel* m_time = nullptr;
    QTimer m_timeShown; // runs while the device time shown is behind the device's
    SessionRecorder* m_recorder = nullptr;
    QAction* m_recordAction = nullptr;
    QAction* m_stopRecordingAction = nullptr;
    QLabel* m_recording = nullptr;
    QSplitter* m_split = nullptr;
    QDockWidget* m_messages = nullptr;
    QTabWidget* m_planTabs = nullptr; // Plan and Design
    QWidget* m_productBar = nullptr;
    QWidget* m_sessionBar = nullptr;
    bool m_tabsOrdered = true; // no reordering of the tab chain pending
    QToolButton* m_messageCount = nullptr;
    int m_fittedHeight = 0; // the tool height the splitter was last fitted to
};
