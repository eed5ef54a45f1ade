// SPDX-License-Identifier: MIT
#pragma once

#include "device/journal.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

#include <functional>

// The journal's lines as a table (device time, motor, access), in the order
// they were recorded, narrowed by a text and a motor filter. Its rows are the
// lines since the last clear that the filters let through, among those the
// journal still keeps in memory; saving goes through every line since the
// clear. A new line costs the same however long the journal is.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, MotorColumn, AccessColumn, ColumnCount };
    // The whole line with its time stamp, as it is saved.
    static constexpr int LineRole = Qt::UserRole + 1;

    explicit JournalModel(QObject* parent = nullptr);

    // Shows the lines `journal` has and will record.
    void setJournal(Journal* journal);
    // The lines containing `text` (in any case) of `motor` (-1: of every motor).
    void setFilter(const QString& text, int motor);
    QString filterText() const { return m_text; }
    int filterMotor() const { return m_motor; }
    // Forgets the lines so far (the module keeps its journal).
    void clear();

    // The lines since the last clear, whether in memory or not.
    qint64 totalLines() const;
    // Of those, how many the journal still keeps in memory.
    qint64 keptLines() const;
    // Hands every line since the last clear that the filters let through to
    // `visit`, in order ("12.345 s  m0 write field ..."); false when the
    // journal could not read its older lines back.
    bool forEachLine(const std::function<bool(const QString&)>& visit) const;
    // Writes those lines to `path`, one a line; false and `error` set when it cannot.
    bool saveTo(const QString& path, QString* error) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "12.345 s  m0 write field ..." for a row.
    QString lineAt(int row) const;

private:
    bool passes(const Journal::Entry& entry) const;
    void append(const Journal::Entry& entry);
    void movedOut(qint64 firstKept);
    void journalCleared();
    void rebuild();
    const Journal::Entry& entryAt(int row) const;

    QPointer<Journal> m_journal;
    qint64 m_start = 0; // the number of the first line since the last clear
    QString m_text;
    int m_motor = -1;
    // The numbers of the lines shown, from m_rows[m_head] on.
    QVector<qint64> m_rows;
    int m_head = 0;
};
