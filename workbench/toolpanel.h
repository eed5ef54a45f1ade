// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

class PluginHost;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class ToolsInterface;

// The window of one tool in the workbench: holds the tool, shows and hides it
// the way the host does (show, then showPlugin(); hidePlugin(), then hide),
// and hides it with a note when the tool asks the host to hide it. Without a
// tool it says why none is open.
class ToolPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPanel(PluginHost& host, QWidget* parent = nullptr);
    ~ToolPanel() override;

    // Takes the tool into the panel, hidden until showTool().
    void adopt(ToolsInterface* tool);
    // Hands the tool back to the host, hiding it first if it is shown.
    void release(ToolsInterface* tool);
    ToolsInterface* tool() const;
    // The host shows the tool window: show, then showPlugin(). The tool stays
    // shown until hideTool(), or while the tool itself asks to be hidden.
    void showTool();
    void hideTool();
    QString note() const;
    // The height and width the tool would like, title and scroll bars included.
    int preferredHeight() const;
    int preferredWidth() const;
    // Marks the panel of the current tool.
    void setCurrent(bool current);

signals:
    // The tool's layout changed (a panel of it opened or closed).
    void preferredSizeChanged();
    // The host showed or hid the tool window (showTool(), hideTool()).
    void shown();
    void hidden();
    // The user clicked into the panel.
    void activated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void toolVisibilityChanged(bool visible);
    void exported(const QString& key, const QVariant& value);
    void reveal();
    void conceal();
    void updatePage();
    void updateTitle();
    void keepToolSize();
    void showHints();
    // The preferred size, worked out once after each change that can move it.
    QSize preferredSize() const;
    void forgetPreferredSize() { m_preferred = QSize(); }

    PluginHost& m_host;
    QPointer<ToolsInterface> m_tool;
    bool m_wanted = false; // the host wants the tool window shown
    bool m_shown = false;  // shown, and showPlugin() called
    bool m_current = false;
    QString m_unitsReason;
    QLabel* m_title = nullptr;
    QStackedWidget* m_pages = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_holder = nullptr;
    QVBoxLayout* m_holderLayout = nullptr;
    QLabel* m_hints = nullptr;
    QLabel* m_note = nullptr;
    mutable QSize m_preferred; // invalid until worked out
};
