#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

// The record of every device access a tool asked for, one line each
// ("m0 write field PID_POSITION_TARGET 500").
class Journal : public QObject
{
    Q_OBJECT

public:
    struct Entry
    {
        qint64 timeMs = 0; // device time of the access
        quint8 motor = 0;
        QString line; // the whole line, motor prefix included
    };

    explicit Journal(QObject* parent = nullptr);

    void append(qint64 timeMs, quint8 motor, const QString& text);
    QList<Entry> entries() const { return m_entries; }
    QStringList lines() const;
    // Lines recorded since the last call (all of them on the first call).
    QStringList takeNewLines();
    void clear();

signals:
    void entryAdded(const Journal::Entry& entry);
    void cleared();

private:
    QList<Entry> m_entries;
    int m_taken = 0;
};
