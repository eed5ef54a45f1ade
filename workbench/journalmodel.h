#pragma once

#include "device/journal.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

// The journal's lines as a table (device time, motor, access), kept in the
// order they were recorded. Clearing it forgets the lines shown so far; the
// module's journal keeps them.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, MotorColumn, AccessColumn, ColumnCount };
    // The whole line with its time stamp, for filtering and saving.
    static constexpr int LineRole = Qt::UserRole + 1;

    explicit JournalModel(QObject* parent = nullptr);

    // Shows the lines `journal` has and will record.
    void setJournal(Journal* journal);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "12.345 s  m0 write field ..." for a row.
    QString lineAt(int row) const;

private:
    void append(const Journal::Entry& entry);

    QPointer<Journal> m_journal;
    QVector<Journal::Entry> m_entries;
};
