// SPDX-License-Identifier: MIT
#include "journal.h"

#include <QDir>
#include <QTemporaryFile>

#include <cerrno>

#include <unistd.h>

namespace {
// Lines move out of memory this many at a time, so that the views following
// the journal drop their first rows seldom rather than on every line.
constexpr int kMoveOutBatch = Journal::KeptLines / 10;
// The file offset of every this many lines is kept, to read from a line on.
constexpr qint64 kIndexStride = 4096;

// One line of the file: "TIME MOTOR LINE\n" (device time in ms, then the
// line, which holds no line break).
QByteArray record(const Journal::Entry& entry)
{
    return QByteArray::number(entry.timeMs) + ' ' + QByteArray::number(entry.motor) + ' ' + entry.line.toUtf8() + '\n';
}

bool parseRecord(const QByteArray& bytes, Journal::Entry* entry)
{
    const int first = bytes.indexOf(' ');
    const int second = first < 0 ? -1 : bytes.indexOf(' ', first + 1);
    if (second < 0 || !bytes.endsWith('\n'))
        return false;
    bool timeOk = false;
    bool motorOk = false;
    entry->timeMs = bytes.left(first).toLongLong(&timeOk);
    entry->motor = quint8(bytes.mid(first + 1, second - first - 1).toUInt(&motorOk));
    entry->line = QString::fromUtf8(bytes.constData() + second + 1, bytes.size() - second - 2);
    return timeOk && motorOk;
}
} // namespace

Journal::Journal(QObject* parent)
    : QObject(parent)
{
}

Journal::~Journal() = default;

void Journal::append(qint64 timeMs, quint8 motor, const QString& text)
{
    Entry entry;
    entry.timeMs = timeMs;
    entry.motor = motor;
    entry.line = QStringLiteral("m%1 %2").arg(motor).arg(text);
    m_kept.push_back(entry);
    if (!m_fileFailed && m_kept.size() >= size_t(KeptLines) + size_t(kMoveOutBatch))
        moveOut(kMoveOutBatch);
    emit entryAdded(entry);
}

void Journal::moveOut(int lines)
{
    // Said once, as a critical message (a script prints it without --verbose
    // too): from now on the journal grows in memory.
    const auto failed = [this](const QString& reason) {
        qCritical("the journal keeps every line in memory from now on: cannot write its older lines to a file in "
                  "\"%s\": %s",
                  qPrintable(QDir::tempPath()), qPrintable(reason));
        m_fileFailed = true;
    };
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/positionmode-journal-XXXXXX"));
        if (!m_file->open()) {
            failed(m_file->errorString());
            m_file.reset();
            return;
        }
    }
    const qint64 start = m_file->size();
    QByteArray bytes;
    QVector<qint64> index;
    for (int i = 0; i < lines; ++i) {
        if ((m_first + i) % kIndexStride == 0)
            index.append(start + bytes.size());
        bytes += record(m_kept[size_t(i)]);
    }
    // Written past Qt's buffer, so that a write falling short on a full disk
    // shows in the next one with the system's reason.
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::pwrite(m_file->handle(), bytes.constData() + written, size_t(bytes.size() - written),
                                      start + written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            // The lines leave the memory only once the file holds them all.
            failed(done < 0 ? qt_error_string(errno) : QStringLiteral("nothing could be written"));
            m_file->resize(start);
            return;
        }
        written += done;
    }
    m_index += index;
    m_kept.erase(m_kept.begin(), m_kept.begin() + lines);
    m_first += lines;
    emit entriesMovedOut(m_first);
}

bool Journal::forEach(qint64 from, const std::function<bool(const Entry&)>& visit) const
{
    qint64 number = qMax<qint64>(0, from);
    if (number < m_first) {
        // From the indexed line at or before `from`, through the file.
        const qint64 stride = number / kIndexStride;
        const auto unreadable = [this] {
            qWarning("cannot read the journal's older lines back from %s",
                     qPrintable(m_file ? m_file->fileName() : QStringLiteral("its file")));
            return false;
        };
        if (!m_file || stride >= m_index.size() || !m_file->seek(m_index.at(int(stride))))
            return unreadable();
        Entry entry;
        for (qint64 at = stride * kIndexStride; at < m_first; ++at) {
            if (!parseRecord(m_file->readLine(), &entry))
                return unreadable();
            if (at >= number && !visit(entry))
                return true;
        }
        number = m_first;
    }
    for (; number < count(); ++number) {
        if (!visit(at(number)))
            return true;
    }
    return true;
}

QStringList Journal::lines() const
{
    QStringList result;
    forEach(0, [&result](const Entry& entry) {
        result.append(entry.line);
        return true;
    });
    return result;
}

QStringList Journal::takeNewLines()
{
    QStringList result;
    forEach(m_taken, [&result](const Entry& entry) {
        result.append(entry.line);
        return true;
    });
    m_taken = count();
    return result;
}

void Journal::clear()
{
    m_kept.clear();
    m_first = 0;
    m_taken = 0;
    m_file.reset();
    m_index.clear();
    m_fileFailed = false;
    emit cleared();
}
