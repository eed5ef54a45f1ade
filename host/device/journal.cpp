#include "journal.h"

Journal::Journal(QObject* parent)
    : QObject(parent)
{
}

void Journal::append(qint64 timeMs, quint8 motor, const QString& text)
{
    Entry entry;
    entry.timeMs = timeMs;
    entry.motor = motor;
    entry.line = QStringLiteral("m%1 %2").arg(motor).arg(text);
    m_entries.append(entry);
    emit entryAdded(entry);
}

QStringList Journal::lines() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        result.append(entry.line);
    return result;
}

QStringList Journal::takeNewLines()
{
    QStringList result;
    for (int i = m_taken; i < m_entries.size(); ++i)
        result.append(m_entries.at(i).line);
    m_taken = m_entries.size();
    return result;
}

void Journal::clear()
{
    m_entries.clear();
    m_taken = 0;
    emit cleared();
}
