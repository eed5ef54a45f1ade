// SPDX-License-Identifier: MIT
#include "messagelog.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QThread>

namespace {
MessageLog* g_log = nullptr;         // the log that captures Qt's messages, if any
QtMessageHandler g_before = nullptr; // the handler before it

void handleMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text)
{
    MessageLog* log = g_log;
    if (!log)
        return;
    if (QThread::currentThread() == log->thread())
        log->append(type, text);
    else
        QMetaObject::invokeMethod(
            log, [log, type, text] { log->append(type, text); }, Qt::QueuedConnection);
}
} // namespace

MessageLog::MessageLog(QObject* parent)
    : QAbstractTableModel(parent)
{
}

MessageLog::~MessageLog()
{
    if (g_log == this) {
        qInstallMessageHandler(g_before);
        g_log = nullptr;
    }
}

void MessageLog::capture(std::function<qint64()> clock, QTextStream* echo, bool echoAll)
{
    m_clock = std::move(clock);
    m_echo = echo;
    m_echoAll = echoAll;
    const QtMessageHandler before = qInstallMessageHandler(handleMessage);
    if (!g_log)
        g_before = before;
    g_log = this;
}

void MessageLog::append(QtMsgType type, const QString& text)
{
    if (m_echo && (m_echoAll || type == QtCriticalMsg || type == QtFatalMsg)) {
        *m_echo << text << '\n';
        m_echo->flush();
    } else if (type == QtFatalMsg) {
        // Qt ends the process after a fatal message: it is never held back.
        QTextStream(stderr) << text << '\n';
    }
    if (m_messages.size() >= MaxMessages) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_messages.removeFirst();
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), m_messages.size(), m_messages.size());
    m_messages.append(Message{m_clock ? m_clock() : 0, type, text});
    endInsertRows();
    emit messageAdded(type);
}

QString MessageLog::levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("debug");
    case QtInfoMsg:
        return QStringLiteral("info");
    case QtWarningMsg:
        return QStringLiteral("warning");
    case QtCriticalMsg:
        return QStringLiteral("critical");
    case QtFatalMsg:
        return QStringLiteral("fatal");
    }
    return QString();
}

int MessageLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_messages.size();
}

int MessageLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MessageLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_messages.size())
        return QVariant();
    const Message& message = m_messages.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case TimeColumn:
            return QString::number(message.timeMs / 1000.0, 'f', 3);
        case LevelColumn:
            return levelName(message.type);
        case TextColumn:
            return message.text;
        default:
            return QVariant();
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == TimeColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant MessageLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time [s]");
    case LevelColumn:
        return QStringLiteral("Level");
    case TextColumn:
        return QStringLiteral("Message");
    default:
        return QVariant();
    }
}
