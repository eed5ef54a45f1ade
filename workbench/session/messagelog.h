// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractTableModel>
#include <QList>

#include <functional>

class QTextStream;

// Qt's message log (qDebug, qWarning and the like, from the workbench, Qt
// and the plug-in's tools) as a table: time, level, text. The window shows
// it in a view of its own; a script run prints the messages only when asked
// to (--verbose), so that they do not bury its output and its errors, except
// the critical ones (a journal that can no longer move its lines out of memory).
//
// The table keeps the newest MaxMessages; a tool that logs on every read
// does not grow it without end.
class MessageLog : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, LevelColumn, TextColumn, ColumnCount };
    static constexpr int MaxMessages = 10000;

    struct Message
    {
        qint64 timeMs = 0;
        QtMsgType type = QtDebugMsg;
        QString text;
    };

    explicit MessageLog(QObject* parent = nullptr);
    ~MessageLog() override;

    // Takes Qt's messages from now on, in this thread: each is kept with the
    // time `clock` gives (ms), and also written to `echo` when one is given,
    // all of them or (`echoAll` false) only critical and fatal ones; a fatal
    // one, which ends the process, to stderr when no echo is given.
    // Messages from other threads are kept when they reach this one.
    void capture(std::function<qint64()> clock, QTextStream* echo = nullptr, bool echoAll = true);
    void append(QtMsgType type, const QString& text);
    const QList<Message>& messages() const { return m_messages; }
    static QString levelName(QtMsgType type);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void messageAdded(QtMsgType type);

private:
    QList<Message> m_messages; // oldest first; dropping the first costs no copy
    std::function<qint64()> m_clock;
    QTextStream* m_echo = nullptr;
    bool m_echoAll = true;
};
