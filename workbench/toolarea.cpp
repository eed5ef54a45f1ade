// SPDX-License-Identifier: MIT
#include "toolarea.h"

#include "core/toolsinterface.h"
#include "pluginhost.h"
#include "toolpanel.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

ToolArea::ToolArea(PluginHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    m_empty = new ToolPanel(host, this);
    m_sideBySide = new QSplitter(Qt::Horizontal, this);
    m_sideBySide->setObjectName(QStringLiteral("toolSplitter"));
    m_sideBySide->setChildrenCollapsible(false);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("toolTabs"));
    m_tabs->setDocumentMode(true);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_empty);
    m_pages->addWidget(m_sideBySide);
    m_pages->addWidget(m_tabs);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    connect(m_empty, &ToolPanel::preferredSizeChanged, this, &ToolArea::preferredSizeChanged);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ToolArea::tabChosen);
    connect(&m_host, &PluginHost::toolOpened, this, &ToolArea::toolOpened);
    connect(&m_host, &PluginHost::toolClosing, this, &ToolArea::toolClosing);
    connect(&m_host, &PluginHost::currentToolChanged, this, &ToolArea::currentToolChanged);
    connect(qApp, &QApplication::focusChanged, this, &ToolArea::focusChanged);
    for (ToolsInterface* tool : m_host.tools())
        toolOpened(tool);
    currentToolChanged(m_host.tool());
}

ToolPanel* ToolArea::currentPanel() const
{
    ToolsInterface* current = m_host.tool();
    ToolPanel* found = current ? m_panels.value(current->motorNumber()) : nullptr;
    return found ? found : m_empty;
}

ToolPanel* ToolArea::panel(quint8 motor) const
{
    return m_panels.value(motor);
}

int ToolArea::preferredHeight() const
{
    if (m_panels.isEmpty())
        return m_empty->preferredHeight();
    if (m_tabbed)
        return m_tabs->tabBar()->sizeHint().height() + currentPanel()->preferredHeight();
    int highest = 0;
    for (const ToolPanel* panel : m_panels)
        highest = qMax(highest, panel->preferredHeight());
    return highest;
}

void ToolArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void ToolArea::toolOpened(ToolsInterface* tool)
{
    const quint8 motor = tool->motorNumber();
    ToolPanel* panel = m_panels.value(motor);
    if (!panel) {
        panel = new ToolPanel(m_host, this);
        panel->setObjectName(QStringLiteral("toolPanel%1").arg(motor));
        connect(panel, &ToolPanel::preferredSizeChanged, this, &ToolArea::panelSizeChanged);
        connect(panel, &ToolPanel::activated, this, [this, motor] { m_host.setCurrentTool(motor); });
        m_panels.insert(motor, panel);
    }
    panel->adopt(tool);
    m_arranged.clear();
    arrange();
    emit preferredSizeChanged();
}

void ToolArea::toolClosing(ToolsInterface* tool)
{
    ToolPanel* panel = m_panels.take(tool->motorNumber());
    if (!panel)
        return;
    {
        // Taking a panel out of the tabs shows another, which reports its size.
        const QScopedValueRollback<bool> busy(m_arranging, true);
        panel->release(tool);
        delete panel;
    }
    m_arranged.clear();
    arrange();
    emit preferredSizeChanged();
}

void ToolArea::currentToolChanged(ToolsInterface* tool)
{
    const bool several = m_panels.size() > 1;
    for (ToolPanel* panel : qAsConst(m_panels))
        panel->setCurrent(several && panel->tool() == tool);
    if (m_tabbed && tool) {
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setCurrentWidget(currentPanel());
    }
    emit preferredSizeChanged();
}

void ToolArea::panelSizeChanged()
{
    // A tool that grows may no longer fit beside the others, or shrink so that it does.
    arrange();
    emit preferredSizeChanged();
}

void ToolArea::focusChanged(QWidget* /*old*/, QWidget* now)
{
    // Panels moved into or out of the tabs take the focus along: not the user's doing.
    if (m_arranging)
        return;
    // Typing into a tool or clicking one of its buttons makes it the current tool.
    for (auto it = m_panels.cbegin(); now && it != m_panels.cend(); ++it) {
        if (it.value()->isAncestorOf(now))
            m_host.setCurrentTool(it.key());
    }
}

void ToolArea::tabChosen(int index)
{
    for (auto it = m_panels.cbegin(); it != m_panels.cend(); ++it) {
        if (it.value() == m_tabs->widget(index))
            m_host.setCurrentTool(it.key());
    }
}

void ToolArea::arrange()
{
    // Moving the panels makes them report their sizes again: not a reason to move them.
    if (m_arranging)
        return;
    if (m_panels.isEmpty()) {
        m_arranged.clear();
        m_pages->setCurrentWidget(m_empty);
        return;
    }
    int wanted = 0;
    for (const ToolPanel* panel : qAsConst(m_panels))
        wanted += panel->preferredWidth() + m_sideBySide->handleWidth();
    const bool tabbed = m_panels.size() > 1 && wanted > width();

    const QList<quint8> motors = m_panels.keys();
    if (tabbed == m_tabbed && motors == m_arranged)
        return;
    m_arranged = motors;
    const QScopedValueRollback<bool> arranging(m_arranging, true);
    const QSignalBlocker blocker(m_tabs);
    // Panels move between the splitter and the tabs; a panel taken out of
    // one holds its tool, shown or not, as it was.
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (auto it = m_panels.cbegin(); it != m_panels.cend(); ++it) {
        if (tabbed) {
            m_tabs->addTab(it.value(), QStringLiteral("Motor %1").arg(it.key()));
        } else {
            m_sideBySide->addWidget(it.value());
            it.value()->show();
        }
    }
    m_tabbed = tabbed;
    if (tabbed)
        m_tabs->setCurrentWidget(currentPanel());
    m_pages->setCurrentWidget(tabbed ? static_cast<QWidget*>(m_tabs) : m_sideBySide);
    currentToolChanged(m_host.tool());
}
