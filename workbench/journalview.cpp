#include "journalview.h"

#include "journalmodel.h"
#include "savefile.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

JournalView::JournalView(QWidget* parent)
    : QWidget(parent)
{
    m_model = new JournalModel(this);
    m_byMotor = new QSortFilterProxyModel(this);
    m_byMotor->setSourceModel(m_model);
    m_byMotor->setFilterKeyColumn(JournalModel::MotorColumn);
    m_filtered = new QSortFilterProxyModel(this);
    m_filtered->setSourceModel(m_byMotor);
    m_filtered->setFilterRole(JournalModel::LineRole);
    m_filtered->setFilterKeyColumn(JournalModel::TimeColumn);
    m_filtered->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("journalFilter"));
    m_filter->setPlaceholderText(
        QStringLiteral("Filter (Ctrl+F): text anywhere in the line, e.g. \"m0 write\" or RAMPER_"));
    m_filter->setToolTip(QStringLiteral("Shows only the lines containing this text (any case)"));

    m_motors = new QComboBox(this);
    m_motors->setObjectName(QStringLiteral("journalMotorFilter"));
    m_motors->setToolTip(QStringLiteral("Shows only the lines of one motor"));
    m_motors->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("journalTable"));
    m_table->setModel(m_filtered);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
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
    connect(m_filtered, &QAbstractItemModel::rowsInserted, this, &JournalView::updateCount);
    connect(m_filtered, &QAbstractItemModel::modelReset, this, &JournalView::updateCount);
    connect(m_filtered, &QAbstractItemModel::rowsRemoved, this, &JournalView::updateCount);
    connect(m_filtered, &QAbstractItemModel::layoutChanged, this, &JournalView::updateCount);
    // New lines are followed while the view is at its end.
    QScrollBar* scroll = m_table->verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this,
            [this, scroll](int value) { m_following = value >= scroll->maximum(); });
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        if (m_following)
            scroll->setValue(maximum);
    });
    setMotorCount(0);
}

JournalView::~JournalView() = default;

void JournalView::setJournal(Journal* journal)
{
    m_model->setJournal(journal);
    m_table->scrollToBottom();
}

void JournalView::setFilter(const QString& text)
{
    if (m_filter->text() != text)
        m_filter->setText(text);
    m_filtered->setFilterFixedString(text);
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

void JournalView::setMotorFilter(int motor)
{
    m_motors->setCurrentIndex(qMax(0, m_motors->findData(motor)));
}

void JournalView::applyMotorFilter()
{
    const int motor = motorFilter();
    m_byMotor->setFilterRegularExpression(QRegularExpression(motor < 0 ? QString() : QStringLiteral("^m%1$").arg(motor)));
    updateCount();
}

int JournalView::motorFilter() const
{
    return m_motors->currentIndex() < 0 ? -1 : m_motors->currentData().toInt();
}

void JournalView::clear()
{
    m_model->clear();
}

void JournalView::focusFilter()
{
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

int JournalView::totalLines() const
{
    return m_model->rowCount();
}

QStringList JournalView::visibleLines() const
{
    QStringList lines;
    for (int row = 0; row < m_filtered->rowCount(); ++row)
        lines.append(m_filtered->index(row, 0).data(JournalModel::LineRole).toString());
    return lines;
}

bool JournalView::saveTo(const QString& path, QString* error) const
{
    QByteArray text;
    const QStringList lines = visibleLines();
    for (const QString& line : lines)
        text += line.toUtf8() + '\n';
    return saveFile(path, text, error);
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
    const int shown = m_filtered->rowCount();
    const int total = m_model->rowCount();
    m_count->setText(shown == total ? QStringLiteral("%1 lines").arg(total)
                                    : QStringLiteral("%1 of %2 lines").arg(shown).arg(total));
}
