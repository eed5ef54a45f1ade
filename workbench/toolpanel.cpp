// SPDX-License-Identifier: MIT
#include "toolpanel.h"

#include "core/toolsinterface.h"
#include "device/simulatedmodule.h"
#include "pluginhost.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
// Space around the note that stands in for a hidden tool, in pixels.
constexpr int kNotePadding = 24;
constexpr double kNotePointSize = 11;
} // namespace

ToolPanel::ToolPanel(PluginHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("toolTitle"));
    m_title->setTextFormat(Qt::RichText);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus); // Tab goes from the tool's widgets straight on
    m_holder = new QWidget;
    m_holderLayout = new QVBoxLayout(m_holder);
    m_holderLayout->setContentsMargins(0, 0, 0, 0);
    m_scroll->setWidget(m_holder);
    // A disabled tool greys out its hints with it: they are repeated here, where they can be read.
    m_hints = new QLabel(this);
    m_hints->setObjectName(QStringLiteral("toolHints"));
    m_hints->setWordWrap(true);
    m_hints->setMargin(4);
    m_hints->setStyleSheet(QStringLiteral("QLabel { background: #fff4ce; border: 1px solid #e0c060; }"));
    m_hints->hide();
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("toolNote"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    m_note->setMargin(kNotePadding);
    QPalette dim = m_note->palette();
    dim.setColor(QPalette::WindowText, dim.color(QPalette::Dark));
    m_note->setPalette(dim);
    QFont larger = m_note->font();
    larger.setPointSizeF(kNotePointSize);
    m_note->setFont(larger);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_scroll);
    m_pages->addWidget(m_note);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_hints);
    layout->addWidget(m_pages, 1);

    connect(&m_host, &PluginHost::valueExported, this, &ToolPanel::exported);
    connect(&m_host, &PluginHost::toolRefused, this, &ToolPanel::updatePage);
    connect(&m_host, &PluginHost::moduleChanged, this, &ToolPanel::updatePage);
    updateTitle();
    updatePage();
}

ToolPanel::~ToolPanel()
{
    // The host owns the tool: hand it back instead of destroying it with the panel.
    if (m_tool)
        release(m_tool);
}

ToolsInterface* ToolPanel::tool() const
{
    return m_tool;
}

void ToolPanel::adopt(ToolsInterface* tool)
{
    if (m_tool)
        release(m_tool);
    m_tool = tool;
    m_wanted = false;
    m_shown = false;
    m_unitsReason.clear();
    // Hidden until the host shows the tool window; an explicitly hidden
    // widget stays hidden when the layout takes it.
    tool->hide();
    // At the size it asks for, not stretched across a wide window.
    m_holderLayout->addWidget(tool, 0, Qt::AlignLeft | Qt::AlignTop);
    tool->installEventFilter(this);
    connect(tool, &ToolsInterface::toolVisibilityChanged, this, &ToolPanel::toolVisibilityChanged);
    connect(tool, &ToolsInterface::toolsNameChanged, this, &ToolPanel::updateTitle);
    updateTitle();
    updatePage();
}

void ToolPanel::release(ToolsInterface* tool)
{
    if (!tool || tool != m_tool)
        return;
    if (m_shown)
        conceal();
    disconnect(tool, nullptr, this, nullptr);
    tool->removeEventFilter(this);
    m_holderLayout->removeWidget(tool);
    tool->setParent(nullptr);
    m_tool = nullptr;
    m_wanted = false;
    keepToolSize();
    m_hints->hide();
    updateTitle();
    updatePage();
}

void ToolPanel::showTool()
{
    if (!m_tool)
        return;
    m_wanted = true;
    reveal();
    updatePage();
    emit shown();
}

void ToolPanel::hideTool()
{
    if (!m_tool)
        return;
    m_wanted = false;
    conceal();
    updatePage();
    emit hidden();
}

void ToolPanel::toolVisibilityChanged(bool visible)
{
    if (!visible && m_shown)
        conceal();
    else if (visible && m_wanted && !m_shown)
        reveal();
    updatePage();
}

void ToolPanel::exported(const QString& key, const QVariant& value)
{
    if (key != QLatin1String(ExportTypes::UpdateUnits.name))
        return;
    switch (value.toInt()) {
    case 0:
        m_unitsReason = QStringLiteral("the module's units are rotary");
        break;
    case 1:
        m_unitsReason = QStringLiteral("the module's units are linear");
        break;
    default:
        m_unitsReason = QStringLiteral("the module's units (%1) are neither rotary nor linear").arg(value.toInt());
        break;
    }
    updatePage();
}

void ToolPanel::reveal()
{
    forgetPreferredSize();
    m_tool->show();
    m_tool->showPlugin();
    m_shown = true;
    keepToolSize();
    showHints();
}

void ToolPanel::conceal()
{
    forgetPreferredSize();
    m_tool->hidePlugin();
    m_tool->hide();
    m_shown = false;
    keepToolSize();
    m_hints->hide();
}

void ToolPanel::setCurrent(bool current)
{
    m_current = current;
    updateTitle();
}

void ToolPanel::mousePressEvent(QMouseEvent* event)
{
    emit activated();
    QWidget::mousePressEvent(event);
}

int ToolPanel::preferredHeight() const
{
    return preferredSize().height();
}

int ToolPanel::preferredWidth() const
{
    return preferredSize().width();
}

QSize ToolPanel::preferredSize() const
{
    // The labels lay out their text for every size asked of them: asked once.
    if (m_preferred.isValid())
        return m_preferred;
    const QSize content = m_tool && m_shown ? m_tool->sizeHint() : m_note->sizeHint();
    const QSize title = m_title->sizeHint();
    m_preferred.setWidth(qMax(title.width(), content.width() + m_scroll->verticalScrollBar()->sizeHint().width()
                                                 + 2 * m_scroll->frameWidth()));
    const int hints = m_hints->isHidden() ? 0 : m_hints->heightForWidth(content.width());
    m_preferred.setHeight(title.height() + hints + content.height()
                          + m_scroll->horizontalScrollBar()->sizeHint().height() + 2 * m_scroll->frameWidth());
    return m_preferred;
}

bool ToolPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tool && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show)) {
        forgetPreferredSize();
        keepToolSize();
        emit preferredSizeChanged();
    }
    // The tool shows or hides its hints after it changed its enabled state: looked at once it has.
    if (watched == m_tool && event->type() == QEvent::EnabledChange)
        QMetaObject::invokeMethod(this, &ToolPanel::showHints, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void ToolPanel::keepToolSize()
{
    // The tool never gets less than the size it asks for: where the panel is
    // smaller, it scrolls, rather than squeezing the tool's editors.
    m_holder->setMinimumSize(m_tool && m_shown ? m_tool->sizeHint().expandedTo(QSize(0, 0)) : QSize(0, 0));
}

void ToolPanel::showHints()
{
    // The hints the tool shows in its "gbHints" group while it is disabled.
    QStringList texts;
    const QWidget* group = m_tool ? m_tool->findChild<QWidget*>(QStringLiteral("gbHints")) : nullptr;
    if (group && !m_tool->isEnabled() && group->isVisibleTo(m_tool)) {
        const QList<QLabel*> labels = group->findChildren<QLabel*>();
        for (const QLabel* label : labels) {
            if (label->isVisibleTo(m_tool) && !label->text().isEmpty())
                texts << label->text();
        }
    }
    const QString text = texts.join(QLatin1Char('\n'));
    if (text == m_hints->text() && m_hints->isHidden() == texts.isEmpty())
        return;
    m_hints->setText(text);
    m_hints->setVisible(!texts.isEmpty());
    forgetPreferredSize();
    emit preferredSizeChanged();
}

void ToolPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        forgetPreferredSize();
    QWidget::changeEvent(event);
}

QString ToolPanel::note() const
{
    if (!m_tool && !m_host.refusal().isEmpty())
        return QStringLiteral("No tool: %1.").arg(m_host.refusal());
    if (!m_tool)
        return QStringLiteral("No tool is open.");
    if (!m_tool->toolVisible()) {
        return QStringLiteral("Hidden by the tool: %1.")
            .arg(m_unitsReason.isEmpty() ? QStringLiteral("it asked the host to hide it") : m_unitsReason);
    }
    if (!m_shown)
        return QStringLiteral("The tool window is hidden.");
    return QString();
}

void ToolPanel::updatePage()
{
    forgetPreferredSize();
    const QString text = note();
    m_note->setText(text);
    m_pages->setCurrentWidget(text.isEmpty() ? static_cast<QWidget*>(m_scroll) : m_note);
}

void ToolPanel::updateTitle()
{
    forgetPreferredSize();
    if (!m_tool) {
        m_title->setText(QStringLiteral("<b>No tool</b>"));
        return;
    }
    m_title->setText(QStringLiteral("<b>%1</b> &nbsp;·&nbsp; motor %2 &nbsp;<span style=\"color: gray\">%3</span>%4")
                         .arg(m_tool->toolsName().toHtmlEscaped())
                         .arg(m_tool->motorNumber())
                         .arg(QLatin1String(m_tool->metaObject()->className()))
                         .arg(m_current ? QStringLiteral(" &nbsp;<i>current</i>") : QString()));
}
