// SPDX-License-Identifier: MIT
#include "mainwindow.h"

#include "core/toolsinterface.h"
#include "designbox.h"
#include "device/journal.h"
#include "device/moveplanner.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "elided.h"
#include "exportcontrols.h"
#include "journalview.h"
#include "messagelog.h"
#include "model/productdescription.h"
#include "motionplot.h"
#include "planbox.h"
#include "pluginhost.h"
#include "productpicker.h"
#include "rampwriter.h"
#include "savedialog.h"
#include "scriptcommand.h"
#include "session.h"
#include "sessionrecorder.h"
#include "toolarea.h"
#include "toolpanel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// What a window manager's frame and title bar take, in pixels, at most.
constexpr QSize kFrameAllowance(16, 48);
// The tool's area never shrinks below this; plot and journal keep at least
// their minimum below it.
constexpr int kToolMinimumHeight = 160;
constexpr int kViewsMinimumHeight = 300;
// How often the device time in the status bar follows the device, in ms.
constexpr int kTimeShownMs = 1000;
// Space between a frame's border and what it holds, in pixels.
constexpr QMargins kFramePadding(8, 6, 8, 8);

// A frame around one area of the window.
QFrame* framed(QWidget* content, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(kFramePadding);
    layout->addWidget(content);
    return frame;
}
} // namespace

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_host(session.host())
{
    PluginHost& host = m_host;
    setObjectName(QStringLiteral("workbench"));
    setWindowTitle(QStringLiteral("Position-mode workbench"));

    m_picker = new ProductPicker(host.catalog(), this);
    m_exports = new ExportControls(host, this);
    auto* bar = addToolBar(QStringLiteral("Product"));
    m_productBar = bar;
    bar->setObjectName(QStringLiteral("productBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->addWidget(m_picker);
    bar->addSeparator();
    bar->addWidget(m_exports);

    m_tools = new ToolArea(host, this);
    m_tools->setMinimumHeight(kToolMinimumHeight);
    m_plot = new MotionPlot(session.samples(), session.plans(), this);
    m_planBox = new PlanBox(session.plans(), this);
    m_designBox = new DesignBox(session.designs(), this);
    m_journal = new JournalView(session.journal(), this);

    // The tool across the top, as wide as it likes; below it the plot, and plan and journal in a column beside it.
    auto* views = new QSplitter(Qt::Horizontal, this);
    views->setObjectName(QStringLiteral("viewSplitter"));
    views->addWidget(framed(m_plot, views));
    // Plan and journal share a column beside the plot, which keeps the room;
    // Plan and Design take turns in tabs, so that a small screen holds them.
    auto* column = new QSplitter(Qt::Vertical, views);
    column->setObjectName(QStringLiteral("planJournalSplitter"));
    m_planTabs = new QTabWidget(column);
    m_planTabs->setObjectName(QStringLiteral("planDesignTabs"));
    m_planTabs->setDocumentMode(true);
    // Its tab bar takes the keyboard itself, a stop of its own before the
    // page (the tab widget's policy goes to its focus proxy, the tab bar).
    m_planTabs->setFocusPolicy(Qt::NoFocus);
    m_planTabs->tabBar()->setFocusPolicy(Qt::TabFocus);
    m_planTabs->addTab(m_planBox, QStringLiteral("Plan"));
    m_planTabs->addTab(m_designBox, QStringLiteral("Design"));
    column->addWidget(framed(m_planTabs, column));
    column->addWidget(framed(m_journal, column));
    column->setStretchFactor(0, 1);
    column->setStretchFactor(1, 1);
    column->setChildrenCollapsible(false);
    views->addWidget(column);
    views->setStretchFactor(0, 3);
    views->setStretchFactor(1, 1);
    views->setChildrenCollapsible(false);
    m_split = new QSplitter(Qt::Vertical, this);
    m_split->setObjectName(QStringLiteral("mainSplitter"));
    m_toolFrame = framed(m_tools, m_split);
    m_split->addWidget(m_toolFrame);
    m_split->addWidget(views);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_split->setChildrenCollapsible(false);
    setCentralWidget(m_split);

    m_time = new QLabel(this);
    m_time->setToolTip(QStringLiteral("The simulated device's time"));
    m_timeShown.setSingleShot(true);
    m_timeShown.setInterval(kTimeShownMs);
    connect(&m_timeShown, &QTimer::timeout, this, [this] {
        SimulatedModule* module = m_host.module();
        showDeviceTime(module ? module->device()->timeMs() : 0);
    });
    statusBar()->addPermanentWidget(m_time);
    showDeviceTime(0);

    auto* quit = new QAction(QStringLiteral("Quit"), this);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    auto* findAction = new QAction(QStringLiteral("Filter journal"), this);
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, m_journal, &JournalView::focusFilter);
    auto* saveAction = new QAction(QStringLiteral("Save journal"), this);
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, m_journal, &JournalView::saveAs);
    addActions({quit, findAction, saveAction});

    setUpRecording();
    connect(&host, &PluginHost::moduleChanged, this, &MainWindow::moduleChanged);
    connect(&host, &PluginHost::toolOpened, this, &MainWindow::toolOpened);
    connect(&host, &PluginHost::toolClosing, this, &MainWindow::toolClosing);
    connect(&host, &PluginHost::currentToolChanged, this, &MainWindow::currentToolChanged);
    connect(m_tools, &ToolArea::preferredSizeChanged, this, &MainWindow::fitTool);
    // Tools and motor buttons come and go, and panels move into tabs and
    // back: Tab keeps walking the window in reading order.
    connect(m_tools, &ToolArea::preferredSizeChanged, this, &MainWindow::orderTabsLater);
    connect(&host, &PluginHost::moduleChanged, this, &MainWindow::orderTabsLater);
    connect(m_picker, &ProductPicker::productChosen, this, &MainWindow::productChosen);
    connect(m_picker, &ProductPicker::motorToggled, this, &MainWindow::motorToggled);
    connect(&session.plans(), &MovePlans::arrived, this, &MainWindow::showArrival);
    connect(m_designBox, &DesignBox::shownChanged, this, &MainWindow::drawDesign);
    connect(m_designBox, &DesignBox::applyRequested, this, [this] { applyDesign(false); });
    connect(m_designBox, &DesignBox::undoRequested, this, [this] { applyDesign(true); });
    // A script's design shows in the window as if typed there.
    connect(&session.designs(), &RampDesigns::proposalChanged, this, [this] {
        m_designBox->setGoal(m_session.designs().goal());
        m_planTabs->setCurrentWidget(m_designBox);
    });
    // The proposal is drawn over the plot while the Design tab is shown.
    connect(m_planTabs, &QTabWidget::currentChanged, this, &MainWindow::drawDesign);
    moduleChanged(host.module());
    statusBar()->showMessage(QStringLiteral("Plug-in: %1").arg(elided(QFileInfo(host.pluginFile()).fileName())));
    resize(DefaultSize);
}

QRect MainWindow::openingGeometry(const QRect& available)
{
    QSize size = DefaultSize;
    if (size.width() > available.width() || size.height() > available.height())
        size = size.boundedTo(available.size() - kFrameAllowance);
    QRect geometry(QPoint(), size);
    geometry.moveCenter(available.center());
    return geometry;
}

MainWindow::~MainWindow()
{
    m_recorder->stop();
    m_host.closeAllTools();
}

ToolPanel* MainWindow::toolPanel() const
{
    return m_tools->currentPanel();
}

void MainWindow::setRealTime(bool on)
{
    m_session.setRealTime(on);
    m_plot->setLive(on);
}

bool MainWindow::openProduct(int variant, int motor, QString* error)
{
    return m_host.openProduct(variant, error) && openMotor(motor, error);
}

bool MainWindow::openMotor(int motor, QString* error)
{
    if (!m_host.openTool(quint8(motor), error))
        return false;
    m_tools->panel(quint8(motor))->showTool();
    return true;
}

void MainWindow::setMessageLog(MessageLog* log)
{
    auto* view = new QTableView;
    view->setObjectName(QStringLiteral("messageTable"));
    view->setModel(log);
    view->setTabKeyNavigation(false);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(MessageLog::TimeColumn, QHeaderView::ResizeToContents);
    view->horizontalHeader()->setSectionResizeMode(MessageLog::LevelColumn, QHeaderView::ResizeToContents);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_messages = new QDockWidget(QStringLiteral("Messages"), this);
    m_messages->setObjectName(QStringLiteral("messages"));
    m_messages->setWidget(view);
    m_messages->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::BottomDockWidgetArea, m_messages);
    m_messages->hide();

    // The status bar counts them; its button opens the view (Ctrl+M).
    m_messageCount = new QToolButton(this);
    m_messageCount->setObjectName(QStringLiteral("messageCount"));
    m_messageCount->setAutoRaise(true);
    m_messageCount->setCheckable(true);
    // The key belongs to the window: the button's own shortcut would go with
    // each new text (a button's text sets its mnemonic).
    auto* showMessages = new QAction(this);
    showMessages->setObjectName(QStringLiteral("messagesAction"));
    showMessages->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    connect(showMessages, &QAction::triggered, m_messageCount, &QToolButton::toggle);
    addAction(showMessages);
    m_messageCount->setToolTip(
        QStringLiteral("Qt's messages: the tools' diagnostics and Qt's warnings, with the device time (Ctrl+M)"));
    statusBar()->insertPermanentWidget(0, m_messageCount);
    connect(m_messageCount, &QToolButton::toggled, m_messages, &QDockWidget::setVisible);
    connect(m_messages, &QDockWidget::visibilityChanged, m_messageCount, &QToolButton::setChecked);
    // A tool that logs on every read would relay the status bar ten times a
    // second: the count follows at most once a second, as the device time does.
    auto* counted = new QTimer(this);
    counted->setSingleShot(true);
    counted->setInterval(kTimeShownMs);
    const auto count = [this, log, view] {
        const int messages = log->rowCount();
        m_messageCount->setText(messages == 1 ? QStringLiteral("1 message")
                                              : QStringLiteral("%L1 messages").arg(messages));
        if (m_messages->isVisible())
            view->scrollToBottom();
    };
    connect(counted, &QTimer::timeout, this, count);
    connect(log, &MessageLog::messageAdded, counted, [counted] {
        if (!counted->isActive())
            counted->start();
    });
    count();
}

void MainWindow::setUpRecording()
{
    m_recorder = new SessionRecorder(m_session, this);
    m_recorder->watchToolArea(m_tools);
    m_recorder->watchExports(m_exports);
    m_recordAction = new QAction(QStringLiteral("&Record…"), this);
    m_recordAction->setObjectName(QStringLiteral("recordAction"));
    // A toolbar's button shows no mnemonic: Alt+R is a shortcut of its own.
    m_recordAction->setShortcuts({QKeySequence(QStringLiteral("Ctrl+R")), QKeySequence(QStringLiteral("Alt+R"))});
    m_recordAction->setToolTip(
        QStringLiteral("Record what you do from now on as a script that --script replays (Ctrl+R)"));
    connect(m_recordAction, &QAction::triggered, this, &MainWindow::chooseRecording);
    m_stopRecordingAction = new QAction(QStringLiteral("S&top recording"), this);
    m_stopRecordingAction->setObjectName(QStringLiteral("stopRecordingAction"));
    m_stopRecordingAction->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Shift+R")), QKeySequence(QStringLiteral("Alt+T"))});
    m_stopRecordingAction->setToolTip(QStringLiteral("Stop recording and close the script (Ctrl+Shift+R)"));
    connect(m_stopRecordingAction, &QAction::triggered, this, &MainWindow::stopRecording);
    auto* sessionBar = addToolBar(QStringLiteral("Session"));
    m_sessionBar = sessionBar;
    sessionBar->setObjectName(QStringLiteral("sessionBar"));
    sessionBar->setMovable(false);
    sessionBar->setFloatable(false);
    sessionBar->addAction(m_recordAction);
    sessionBar->addAction(m_stopRecordingAction);
    // Reached with Tab like every other button, framed like them so that the focus shows.
    for (QAction* action : {m_recordAction, m_stopRecordingAction}) {
        auto* button = qobject_cast<QToolButton*>(sessionBar->widgetForAction(action));
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAutoRaise(false);
    }
    addActions({m_recordAction, m_stopRecordingAction});
    m_recording = new QLabel(this);
    m_recording->setObjectName(QStringLiteral("recordingStatus"));
    statusBar()->insertPermanentWidget(0, m_recording);
    connect(m_recorder, &SessionRecorder::recordingChanged, this, &MainWindow::recordingChanged);
    connect(m_recorder, &SessionRecorder::failed, this, &MainWindow::reportError);
    recordingChanged(false);
}

bool MainWindow::startRecording(const QString& fileName, QString* error)
{
    const int variant = m_host.variant();
    QList<int> motors;
    const QList<ToolsInterface*> tools = m_host.tools();
    for (ToolsInterface* tool : tools)
        motors << tool->motorNumber();
    const int current = m_host.tool() ? m_host.tool()->motorNumber() : -1;
    if (!m_recorder->start(fileName, error))
        return false;
    if (!m_host.module())
        return true;
    // A fresh module with the same tools, so that the replay starts where the session does.
    bool reconnected = m_host.openProduct(variant, error);
    for (int i = 0; reconnected && i < motors.size(); ++i)
        reconnected = openMotor(motors.at(i), error);
    if (reconnected && current >= 0)
        m_host.setCurrentTool(quint8(current));
    if (!reconnected)
        m_recorder->stop();
    return reconnected;
}

void MainWindow::stopRecording()
{
    m_recorder->stop();
}

void MainWindow::chooseRecording()
{
    const QString fileName = SaveDialog::ask(this, QStringLiteral("Record the session"), QString(),
                                             QStringLiteral("Workbench scripts (*.wbs);;All files (*)"));
    if (fileName.isEmpty())
        return;
    QString error;
    if (!startRecording(fileName, &error))
        reportError(error);
}

void MainWindow::recordingChanged(bool on)
{
    m_recordAction->setEnabled(!on);
    m_stopRecordingAction->setEnabled(on);
    const QString fileName = QDir::toNativeSeparators(m_recorder->fileName());
    // A long path keeps its end, where the file's name is.
    const QString shown = fileName.size() <= kMostShownCharacters
                              ? fileName
                              : QChar(0x2026) + fileName.right(kMostShownCharacters - 1);
    m_recording->setVisible(on);
    m_recording->setText(QStringLiteral("Recording to %1").arg(shown));
    m_recording->setToolTip(fileName);
    if (!on && !fileName.isEmpty())
        statusBar()->showMessage(QStringLiteral("Recorded to %1").arg(shown));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_recorder->stop();
    QMainWindow::closeEvent(event);
}

QPixmap MainWindow::screenshot()
{
    m_timeShown.stop();
    showDeviceTime(m_session.timeMs());
    m_designBox->redesign();
    m_plot->replotNow();
    return grab();
}

void MainWindow::moduleChanged(SimulatedModule* module)
{
    m_journal->setMotorCount(module ? module->product()->motors() : 0);
    m_planBox->setMotor(0);
    statusBar()->clearMessage(); // an arrival or a recording of the product before
    m_designBox->setMotor(0);
    if (!module)
        return;
    m_picker->setProduct(m_host.variant());
    // The design follows the device's values and where the motor rests, while someone watches.
    const auto redesign = [this] {
        if (m_session.isRealTime())
            m_designBox->redesign();
    };
    connect(module->device(), &SimulatedDevice::valueWritten, this, redesign);
    connect(module->device(), &SimulatedDevice::moveArrived, this, redesign);
    connect(module->device(), &SimulatedDevice::advanced, this, [this] {
        // At most a few times a second: each new text lays out the status bar
        // again. Without real time nobody watches; a screenshot shows it.
        if (m_session.isRealTime() && !m_timeShown.isActive())
            m_timeShown.start();
    });
    showDeviceTime(module->device()->timeMs());
    setWindowTitle(
        QStringLiteral("Position-mode workbench — %1 %2").arg(m_host.variant()).arg(elided(module->product()->name())));
}

void MainWindow::toolOpened(ToolsInterface* tool)
{
    m_picker->setMotorOpen(tool->motorNumber(), true);
}

void MainWindow::toolClosing(ToolsInterface* tool)
{
    m_picker->setMotorOpen(tool->motorNumber(), false);
}

void MainWindow::currentToolChanged(ToolsInterface* tool)
{
    if (!tool)
        return;
    m_plot->setCurrentMotor(tool->motorNumber());
    m_planBox->setMotor(tool->motorNumber());
    m_designBox->setMotor(tool->motorNumber());
}

void MainWindow::productChosen(int variant)
{
    QString error;
    if (!openProduct(variant, 0, &error))
        reportError(error);
}

void MainWindow::motorToggled(int motor, bool open)
{
    QString error;
    if (!open)
        m_host.closeTool(quint8(motor));
    else if (!openMotor(motor, &error)) {
        m_picker->setMotorOpen(motor, false);
        reportError(error);
    }
}

void MainWindow::showDeviceTime(qint64 timeMs)
{
    m_time->setText(QStringLiteral("Device time %1 s").arg(timeMs / 1000.0, 0, 'f', 1));
}

void MainWindow::showArrival(quint8 motor, double seconds, double plannedSeconds)
{
    // The message speaks of the motor on the plot.
    if (motor != m_plot->motor())
        return;
    // A move planned with a maximum velocity of 0 arrives only once the ramp lets it.
    const QString planned = plannedSeconds == MovePlanner::Never ? QStringLiteral("never")
                                                                 : QStringLiteral("%1 s").arg(plannedSeconds, 0, 'f', 3);
    statusBar()->showMessage(QStringLiteral("arrived after %1 s (planned %2)").arg(seconds, 0, 'f', 3).arg(planned));
}

void MainWindow::orderTabsLater()
{
    if (m_tabsOrdered) {
        m_tabsOrdered = false;
        QMetaObject::invokeMethod(this, &MainWindow::orderTabs, Qt::QueuedConnection);
    }
}

void MainWindow::orderTabs()
{
    m_tabsOrdered = true;
    // Widgets added later (a tool, the motor buttons) join the focus chain at
    // its end. Every stop goes to its area, in reading order; inside a tool
    // the order stays as it is, and so it does inside the other areas, except
    // that a tab bar leads and a table, below the fields that filter or fill
    // it, comes last.
    const QList<QWidget*> areas{m_productBar, m_sessionBar, m_tools, m_plot, m_planTabs, m_journal};
    QVector<QPair<int, QWidget*>> stops;
    for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain()) {
        // A spin box's line edit goes with its spin box.
        const QWidget* parent = widget->parentWidget();
        if (!(widget->focusPolicy() & Qt::TabFocus)
            || (parent && parent->focusProxy() == widget && (parent->focusPolicy() & Qt::TabFocus)))
            continue;
        int rank = areas.size();
        for (int area = 0; area < areas.size(); ++area) {
            if (areas.at(area)->isAncestorOf(widget))
                rank = area;
        }
        if (rank == areas.indexOf(m_tools)) {
            // The tools by motor, as they stand side by side.
            const QList<ToolsInterface*> tools = m_host.tools();
            for (const ToolsInterface* tool : tools) {
                if (tool->isAncestorOf(widget))
                    rank = rank * 1000 + 1 + tool->motorNumber();
            }
        } else {
            rank = rank * 1000
                   + (qobject_cast<QTabBar*>(widget)             ? 0
                      : qobject_cast<QAbstractItemView*>(widget) ? 2
                                                                 : 1);
        }
        stops.append(qMakePair(rank, widget));
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const QPair<int, QWidget*>& a, const QPair<int, QWidget*>& b) { return a.first < b.first; });
    for (int i = 1; i < stops.size(); ++i)
        setTabOrder(stops.at(i - 1).second, stops.at(i).second);
}

void MainWindow::fitTool()
{
    // The tool gets the height it asks for, as long as plot and journal keep a
    // sensible share; only a change of what it asks for moves the splitter the
    // user may have dragged.
    const int frameHeight = kFramePadding.top() + kFramePadding.bottom() + 2 * m_toolFrame->frameWidth();
    const int preferred = m_tools->preferredHeight();
    const QList<int> sizes = m_split->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total <= 0 || preferred == m_fittedHeight)
        return;
    m_fittedHeight = preferred;
    const int lowest = m_tools->minimumHeight();
    const int wanted = qBound(lowest, preferred + frameHeight, qMax(lowest, total - kViewsMinimumHeight));
    m_split->setSizes({wanted, total - wanted});
}

void MainWindow::drawDesign()
{
    const RampDesigner::Proposal& shown = m_designBox->shown();
    const bool drawn = shown.error.isEmpty() && m_planTabs->currentWidget() == m_designBox;
    m_plot->showDesign(drawn ? &shown.current : nullptr, drawn ? &shown.plan : nullptr, m_designBox->shownSince());
}

void MainWindow::applyDesign(bool undo)
{
    // As the script's `design ...` and `design apply` (or `design undo`) do,
    // which is what a recording gets.
    const quint8 motor = m_designBox->motor();
    const RampDesigns::Goal goal = m_designBox->goal();
    QList<ScriptCommand> commands;
    if (!undo)
        commands << ScriptCommand::design(goal.words());
    commands << ScriptCommand::design({undo ? QStringLiteral("undo") : QStringLiteral("apply")});
    QString error;
    const bool done = m_recorder->recordDesign(m_host.tool(motor), commands, [&] {
        if (!undo)
            m_session.designs().design(motor, goal);
        return RampWriter::apply(m_host, m_session.designs(), undo, &error);
    });
    if (done)
        m_designBox->redesign();
    else
        statusBar()->showMessage(QStringLiteral("Design not written: %1").arg(error));
}

void MainWindow::reportError(const QString& message)
{
    QMessageBox::warning(this, windowTitle(), message);
}
