// SPDX-License-Identifier: MIT
#include "journalmodel.h"

#include "safefile.h"

#include <QIODevice>

#include <algorithm>

namespace {
QString timeText(qint64 ms)
{
    return QString::number(ms / 1000.0, 'f', 3);
}

QString timedLine(const Journal::Entry& entry)
{
    return QStringLiteral("%1 s  %2").arg(timeText(entry.timeMs), entry.line);
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
    m_journal = journal;
    m_start = 0;
    if (journal) {
        connect(journal, &Journal::entryAdded, this, &JournalModel::append);
        connect(journal, &Journal::entriesMovedOut, this, &JournalModel::movedOut);
        connect(journal, &Journal::cleared, this, &JournalModel::journalCleared);
    }
    rebuild();
}

void JournalModel::setFilter(const QString& text, int motor)
{
    if (text == m_text && motor == m_motor)
        return;
    m_text = text;
    m_motor = motor;
    rebuild();
}

void JournalModel::clear()
{
    m_start = m_journal ? m_journal->count() : 0;
    rebuild();
}

void JournalModel::journalCleared()
{
    m_start = 0;
    rebuild();
}

void JournalModel::rebuild()
{
    beginResetModel();
    m_rows.clear();
    m_head = 0;
    if (m_journal) {
        for (qint64 number = qMax(m_start, m_journal->firstKept()); number < m_journal->count(); ++number) {
            if (passes(m_journal->at(number)))
                m_rows.append(number);
        }
    }
    endResetModel();
}

bool JournalModel::passes(const Journal::Entry& entry) const
{
    if (m_motor >= 0 && entry.motor != m_motor)
        return false;
    return m_text.isEmpty() || timedLine(entry).contains(m_text, Qt::CaseInsensitive);
}

void JournalModel::append(const Journal::Entry& entry)
{
    if (!passes(entry))
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(m_journal->count() - 1);
    endInsertRows();
}

void JournalModel::movedOut(qint64 firstKept)
{
    const auto begin = m_rows.cbegin() + m_head;
    const int gone = int(std::lower_bound(begin, m_rows.cend(), firstKept) - begin);
    if (gone == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, gone - 1);
    m_head += gone;
    // The rows shown start further on; the space before them is given back now and then.
    if (m_head > m_rows.size() / 2) {
        m_rows.remove(0, m_head);
        m_head = 0;
    }
    endRemoveRows();
}

qint64 JournalModel::totalLines() const
{
    return m_journal ? m_journal->count() - m_start : 0;
}

qint64 JournalModel::keptLines() const
{
    return m_journal ? m_journal->count() - qMax(m_start, m_journal->firstKept()) : 0;
}

bool JournalModel::forEachLine(const std::function<bool(const QString&)>& visit) const
{
    if (!m_journal)
        return true;
    return m_journal->forEach(m_start,
                              [&](const Journal::Entry& entry) { return !passes(entry) || visit(timedLine(entry)); });
}

bool JournalModel::saveTo(const QString& path, QString* error) const
{
    return SafeFile::write(
        path,
        [this](QIODevice& file) {
            bool written = true;
            const bool read = forEachLine([&](const QString& line) {
                written = file.write(line.toUtf8() + '\n') >= 0;
                return written;
            });
            return read && written;
        },
        error);
}

const Journal::Entry& JournalModel::entryAt(int row) const
{
    return m_journal->at(m_rows.at(m_head + row));
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_journal ? 0 : m_rows.size() - m_head;
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const Journal::Entry& entry = entryAt(index.row());
    if (role == LineRole)
        return timedLine(entry);
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
    return timedLine(entryAt(row));
}
