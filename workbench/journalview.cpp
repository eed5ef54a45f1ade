// SPDX-License-Identifier: MIT
#include "journalview.h"

#include "journalmodel.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

JournalView::JournalView(JournalModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("journalFilter"));
    m_filter->setPlaceholderText(
        QStringLiteral("Filter (Ctrl+F): text anywhere in the line, e.g. \"m0 write\" or RAMPER_"));
    m_filter->setToolTip(QStringLiteral("Shows only the lines containing this text (any case)"));
    // Wide enough to read the start of the hint and a word typed.
    m_filter->setMinimumWidth(m_filter->fontMetrics().horizontalAdvance(QStringLiteral("Filter (Ctrl+F): text")));

    m_motors = new QComboBox(this);
    m_motors->setObjectName(QStringLiteral("journalMotorFilter"));
    m_motors->setToolTip(QStringLiteral("Shows only the lines of one motor"));
    m_motors->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("journalTable"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setTabKeyNavigation(false); // Tab leaves the table; the arrow keys move within it
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setSectionResizeMode(JournalModel::TimeColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(JournalModel::MotorColumn, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* clearButton = new QPushButton(QStringLiteral("C&lear"), this);
    clearButton->setObjectName(QStringLiteral("journalClear"));
    clearButton->setToolTip(QStringLiteral("Clear the lines shown (Alt+L)"));
    auto* saveButton = new QPushButton(QStringLiteral("&Save…"), this);
    saveButton->setObjectName(QStringLiteral("journalSave"));
    saveButton->setToolTip(QStringLiteral("Save the lines shown to a text file (Ctrl+S)"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("journalCount"));
    m_count->setToolTip(
        QStringLiteral("The table holds the last %L1 lines; Save… writes every line since Clear").arg(Journal::KeptLines));

    auto* title = new QLabel(QStringLiteral("<b>Journal</b>"), this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(title);
    bar->addSpacing(8);
    bar->addWidget(m_filter, 1);
    bar->addWidget(m_motors);
    bar->addWidget(m_count);
    bar->addWidget(clearButton);
    bar->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);

    connect(m_filter, &QLineEdit::textChanged, this, &JournalView::setFilter);
    connect(m_motors, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &JournalView::applyMotorFilter);
    connect(clearButton, &QPushButton::clicked, this, &JournalView::clear);
    connect(saveButton, &QPushButton::clicked, this, &JournalView::saveAs);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &JournalView::updateCount);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &JournalView::updateCount);
    connect(&m_model, &QAbstractItemModel::modelReset, m_table, &QTableView::scrollToBottom);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &JournalView::updateCount);
    // New lines are followed while the view is at its end.
    QScrollBar* scroll = m_table->verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this,
            [this, scroll](int value) { m_following = value >= scroll->maximum(); });
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        if (m_following)
            scroll->setValue(maximum);
    });
    m_table->installEventFilter(this);
    setMotorCount(0);
}

JournalView::~JournalView() = default;

bool JournalView::eventFilter(QObject* watched, QEvent* event)
{
    // The keyboard comes to the table at its newest line, marked, and the
    // arrow keys go on from there.
    if (watched == m_table && event->type() == QEvent::FocusIn && !m_table->currentIndex().isValid()
        && m_model.rowCount() > 0)
        m_table->setCurrentIndex(m_model.index(m_model.rowCount() - 1, JournalModel::AccessColumn));
    return QWidget::eventFilter(watched, event);
}

void JournalView::setFilter(const QString& text)
{
    if (m_filter->text() != text)
        m_filter->setText(text);
    m_model.setFilter(text, motorFilter());
    updateCount();
}

void JournalView::setMotorCount(int count)
{
    if (count == m_motors->count() - 1)
        return;
    const int shown = motorFilter();
    {
        const QSignalBlocker blocker(m_motors);
        m_motors->clear();
        m_motors->addItem(QStringLiteral("All motors"), -1);
        for (int motor = 0; motor < count; ++motor)
            m_motors->addItem(QStringLiteral("Motor %1").arg(motor), motor);
        // A motor the product lacks has no lines: every motor's are shown instead.
        m_motors->setCurrentIndex(shown < count ? shown + 1 : 0);
    }
    applyMotorFilter();
}

void JournalView::applyMotorFilter()
{
    m_model.setFilter(m_model.filterText(), motorFilter());
    updateCount();
}

int JournalView::motorFilter() const
{
    return m_motors->currentIndex() < 0 ? -1 : m_motors->currentData().toInt();
}

void JournalView::clear()
{
    m_model.clear();
}

void JournalView::focusFilter()
{
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

bool JournalView::saveTo(const QString& path, QString* error) const
{
    return m_model.saveTo(path, error);
}

void JournalView::saveAs()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save journal"), QStringLiteral("journal.txt"),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveTo(path, &error))
        QMessageBox::warning(this, QStringLiteral("Save journal"), error);
}

void JournalView::updateCount()
{
    const qint64 shown = m_model.rowCount();
    const qint64 total = m_model.totalLines();
    m_count->setText(shown == total ? QStringLiteral("%1 lines").arg(total)
                                    : QStringLiteral("%1 of %2 lines").arg(shown).arg(total));
}
