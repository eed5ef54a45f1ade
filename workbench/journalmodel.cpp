#include "journalmodel.h"

namespace {
QString timeText(qint64 ms)
{
    return QString::number(ms / 1000.0, 'f', 3);
}

// The line without its "m<motor> " prefix: the motor has its own column.
QString accessText(const Journal::Entry& entry)
{
    const int space = entry.line.indexOf(QLatin1Char(' '));
    return space < 0 ? entry.line : entry.line.mid(space + 1);
}
} // namespace

JournalModel::JournalModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void JournalModel::setJournal(Journal* journal)
{
    if (m_journal)
        disconnect(m_journal, nullptr, this, nullptr);
    beginResetModel();
    m_journal = journal;
    m_entries.clear();
    if (journal) {
        const QList<Journal::Entry> entries = journal->entries();
        m_entries.reserve(entries.size());
        for (const Journal::Entry& entry : entries)
            m_entries.append(entry);
    }
    endResetModel();
    if (journal) {
        connect(journal, &Journal::entryAdded, this, &JournalModel::append);
        connect(journal, &Journal::cleared, this, &JournalModel::clear);
    }
}

void JournalModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void JournalModel::append(const Journal::Entry& entry)
{
    const int row = m_entries.size();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(entry);
    endInsertRows();
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_entries.size();
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return QVariant();
    const Journal::Entry& entry = m_entries.at(index.row());
    if (role == LineRole)
        return lineAt(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == TimeColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::TextAlignmentRole && index.column() == MotorColumn)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    switch (index.column()) {
    case TimeColumn:
        return timeText(entry.timeMs);
    case MotorColumn:
        return QStringLiteral("m%1").arg(entry.motor);
    case AccessColumn:
        return accessText(entry);
    default:
        return QVariant();
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time [s]");
    case MotorColumn:
        return QStringLiteral("Motor");
    case AccessColumn:
        return QStringLiteral("Device access");
    default:
        return QVariant();
    }
}

QString JournalModel::lineAt(int row) const
{
    const Journal::Entry& entry = m_entries.at(row);
    return QStringLiteral("%1 s  %2").arg(timeText(entry.timeMs), entry.line);
}
