// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QStringList>
#include <QVector>

#include <deque>
#include <functional>
#include <memory>

class QTemporaryFile;

// The record of every device access a tool asked for, one line each
// ("m0 write field PID_POSITION_TARGET 500"), numbered from 0 in the order
// they were made.
//
// A long session must not fill the memory: the newest KeptLines lines stay
// in memory, and older ones move, a batch at a time, to a temporary file of
// their own, from which they are read back for a save or a script's
// `journal`. Nothing is lost: should that file fail, every line stays in
// memory instead, and a critical message says why.
class Journal : public QObject
{
    Q_OBJECT

public:
    static constexpr int KeptLines = 100000;

    struct Entry
    {
        qint64 timeMs = 0; // device time of the access
        quint8 motor = 0;
        QString line; // the whole line, motor prefix included
    };

    explicit Journal(QObject* parent = nullptr);
    ~Journal() override;

    void append(qint64 timeMs, quint8 motor, const QString& text);
    // How many lines have been recorded (the number the next one gets).
    qint64 count() const { return m_first + qint64(m_kept.size()); }
    // The number of the oldest line still in memory; those from it on are at().
    qint64 firstKept() const { return m_first; }
    const Entry& at(qint64 number) const { return m_kept[size_t(number - m_first)]; }
    // Hands every line from number `from` on to `visit`, in order, reading
    // those no longer in memory back from the file; stops when `visit`
    // returns false. False when the file cannot be read back.
    bool forEach(qint64 from, const std::function<bool(const Entry&)>& visit) const;
    // Every line recorded.
    QStringList lines() const;
    // Lines recorded since the last call (all of them on the first call).
    QStringList takeNewLines();
    void clear();

signals:
    void entryAdded(const Journal::Entry& entry);
    // The lines before `firstKept` left the memory (they are still in the file).
    void entriesMovedOut(qint64 firstKept);
    void cleared();

private:
    void moveOut(int lines);

    std::deque<Entry> m_kept;
    qint64 m_first = 0;                     // the number of m_kept.front()
    qint64 m_taken = 0;                     // the lines takeNewLines() handed out
    std::unique_ptr<QTemporaryFile> m_file; // the lines before m_first
    // Where in the file every IndexStride-th line starts.
    QVector<qint64> m_index;
    bool m_fileFailed = false; // every line stays in memory from then on
};
