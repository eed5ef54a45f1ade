// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <QWidget>

class PluginHost;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class ToolPanel;
class ToolsInterface;

// The tools of the workbench: a panel per open tool, side by side while each
// gets the width it would like, tabbed when the window is too narrow for that. The
// panel of the current tool is marked (and is the visible tab); clicking
// into a panel, focusing a widget of its tool, or picking its tab makes its
// tool current. Without a tool
// a single panel says why none is open.
class ToolArea : public QWidget
{
    Q_OBJECT

public:
    explicit ToolArea(PluginHost& host, QWidget* parent = nullptr);

    // The panel of the current tool; the panel without a tool when none is open.
    ToolPanel* currentPanel() const;
    ToolPanel* panel(quint8 motor) const;
    // The height the tools would like, titles and tab bar included.
    int preferredHeight() const;

signals:
    // What the tools would like changed (a tool opened, closed or grew).
    void preferredSizeChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void toolOpened(ToolsInterface* tool);
    void toolClosing(ToolsInterface* tool);
    void currentToolChanged(ToolsInterface* tool);
    void tabChosen(int index);
    void focusChanged(QWidget* old, QWidget* now);
    void panelSizeChanged();
    void arrange();

    PluginHost& m_host;
    QMap<quint8, ToolPanel*> m_panels; // by motor
    ToolPanel* m_empty = nullptr;      // shown while no tool is open
    QStackedWidget* m_pages = nullptr;
    QSplitter* m_sideBySide = nullptr;
    QTabWidget* m_tabs = nullptr;
    bool m_tabbed = false;
    bool m_arranging = false;
    QList<quint8> m_arranged; // the motors of the panels as last arranged
};
