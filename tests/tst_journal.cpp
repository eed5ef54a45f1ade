// SPDX-License-Identifier: MIT
#include "journalmodel.h"
#include "journalview.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int kKept = Journal::KeptLines;

// Line n of a journal made by fill(): motors 0 and 1 in turn.
QString lineOf(int n)
{
    return QStringLiteral("m%1 move %2").arg(n % 2).arg(n);
}

void fill(Journal& journal, int from, int to)
{
    for (int n = from; n < to; ++n)
        journal.append(n, quint8(n % 2), QStringLiteral("move %1").arg(n));
}

QStringList expectedLines(int from, int to)
{
    QStringList lines;
    for (int n = from; n < to; ++n)
        lines.append(lineOf(n));
    return lines;
}
} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT

private slots:
    void journalKeepsItsNewestLinesInMemoryAndEveryLineInItsFile();
    void modelFollowsTheJournalThroughItsFiltersAndDropsWhatLeavesMemory();
    void savingWritesEveryLineSinceClearThatTheFiltersLetThrough();
};

void tst_Journal::journalKeepsItsNewestLinesInMemoryAndEveryLineInItsFile()
{
    Journal journal;
    const int total = 2 * kKept + 12345;
    fill(journal, 0, 10);
    QCOMPARE(journal.takeNewLines(), expectedLines(0, 10));
    fill(journal, 10, total);
    QCOMPARE(journal.count(), qint64(total));
    // Memory holds the newest lines only; the rest went to the file.
    QVERIFY2(journal.firstKept() > 0 && journal.count() - journal.firstKept() <= kKept + kKept / 10,
             qPrintable(QString::number(journal.firstKept())));
    QCOMPARE(journal.at(journal.firstKept()).line, lineOf(int(journal.firstKept())));
    // Every line is still there, from the file and from memory, in order.
    QCOMPARE(journal.takeNewLines(), expectedLines(10, total));
    QCOMPARE(journal.takeNewLines(), QStringList());
    QCOMPARE(journal.lines(), expectedLines(0, total));
    // From a line inside the file on, with its time and motor.
    const int from = 3 * 4096 + 17;
    QList<Journal::Entry> read;
    QVERIFY(journal.forEach(from, [&read](const Journal::Entry& entry) {
        read.append(entry);
        return read.size() < 3;
    }));
    QCOMPARE(read.size(), 3);
    QCOMPARE(read.at(2).line, lineOf(from + 2));
    QCOMPARE(read.at(2).timeMs, qint64(from + 2));
    QCOMPARE(int(read.at(2).motor), (from + 2) % 2);

    journal.clear();
    QCOMPARE(journal.count(), qint64(0));
    fill(journal, 0, 3);
    QCOMPARE(journal.lines(), expectedLines(0, 3));
}

void tst_Journal::modelFollowsTheJournalThroughItsFiltersAndDropsWhatLeavesMemory()
{
    Journal journal;
    fill(journal, 0, 4);
    JournalModel model;
    model.setJournal(&journal);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.lineAt(3), QStringLiteral("0.003 s  m1 move 3"));
    QCOMPARE(model.index(3, JournalModel::AccessColumn).data().toString(), QStringLiteral("move 3"));

    // Motor 1's lines with a 7 in them: the filters narrow each other.
    model.setFilter(QStringLiteral("7"), 1);
    fill(journal, 4, 40);
    QCOMPARE(model.rowCount(), 4); // 7, 17, 27, 37
    QCOMPARE(model.lineAt(1), QStringLiteral("0.017 s  m1 move 17"));

    // Lines leaving memory leave the rows from the top, a batch at a time.
    model.setFilter(QString(), 1);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    fill(journal, 40, kKept + kKept / 10 + 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 0);
    QCOMPARE(model.rowCount(), int(journal.count() - journal.firstKept()) / 2);
    QCOMPARE(model.index(0, JournalModel::AccessColumn).data().toString(),
             QStringLiteral("move %1").arg(journal.firstKept() | 1));
    QCOMPARE(model.totalLines(), journal.count());
    QCOMPARE(model.keptLines(), journal.count() - journal.firstKept());
    // Motor 0 is a motor to filter on like any other; unfiltered, the first row is the first line kept.
    model.setFilter(QString(), 0);
    QCOMPARE(model.rowCount(), int((journal.count() + 1) / 2 - (journal.firstKept() + 1) / 2)); // the even lines
    QCOMPARE(model.index(0, JournalModel::AccessColumn).data().toString(),
             QStringLiteral("move %1").arg((journal.firstKept() + 1) & ~qint64(1)));
    model.setFilter(QString(), -1);
    QCOMPARE(model.rowCount(), int(journal.count() - journal.firstKept()));
    QCOMPARE(model.index(0, JournalModel::AccessColumn).data().toString(),
             QStringLiteral("move %1").arg(journal.firstKept()));
}

void tst_Journal::savingWritesEveryLineSinceClearThatTheFiltersLetThrough()
{
    Journal journal;
    JournalModel model;
    model.setJournal(&journal);
    JournalView view(model);
    fill(journal, 0, 100);
    view.clear();
    const int total = kKept + kKept / 5;
    fill(journal, 100, total);
    view.setFilter(QStringLiteral("m0 "));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.txt"));
    QString error;
    QVERIFY2(view.saveTo(path, &error), qPrintable(error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    // Every even line from 100 on, those out of memory too, and the empty one after the last line feed.
    QCOMPARE(lines.size(), (total - 100) / 2 + 1);
    QCOMPARE(lines.first(), QByteArray("0.100 s  m0 move 100"));
    QCOMPARE(lines.at(lines.size() - 2),
             QStringLiteral("%1 s  m0 move %2").arg((total - 2) / 1000.0, 0, 'f', 3).arg(total - 2).toUtf8());
    QCOMPARE(model.totalLines(), qint64(total - 100));
}

QTEST_MAIN(tst_Journal)
#include "tst_journal.moc"
