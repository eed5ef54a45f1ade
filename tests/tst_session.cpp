// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "session.h"
#include "virtualtimers.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimerEvent>

#include <algorithm>

namespace {
// A session on the built-in products, without the plug-in: the device, its
// time, the samples and the plans need no tool.
std::unique_ptr<Session> sessionOn(int variant)
{
    ProductCatalog catalog;
    QString error;
    if (!catalog.loadBuiltIn(&error))
        qFatal("%s", qPrintable(error));
    auto session = std::make_unique<Session>(std::move(catalog));
    if (!session->host().openProduct(variant, &error))
        qFatal("%s", qPrintable(error));
    return session;
}

SimulatedDevice* deviceOf(Session& session)
{
    return session.host().module()->device();
}

// Notes the device time of every timer event it gets, and which timer it was.
class TimerLog : public QObject
{
public:
    explicit TimerLog(Session& session)
        : m_session(session)
    {
    }
    QStringList fired;

protected:
    void timerEvent(QTimerEvent* event) override
    {
        fired << QStringLiteral("%1@%2").arg(names.value(event->timerId())).arg(m_session.timeMs());
    }

public:
    QHash<int, QString> names;

private:
    Session& m_session;
};
} // namespace

// The session core: device time, samples, plans, virtual timers.
class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void samplesFollowTheDeviceOverTheLastTwentySeconds();
    void advanceStepsTheWindowAndCrossesTheTimeBeforeItAtOnce();
    void eachMoveIsPlannedAndItsArrivalToldAgainstThePlan();
    void timersFireAtTheirDeviceTimeInOrder();
    void timersOfAFinishedTimerOrOfNoIntervalDoNotStallTime();
    void wallClockRestsWhileNothingMovesAndRefreshesOnlyWhatIsTraced();
};

void tst_Session::samplesFollowTheDeviceOverTheLastTwentySeconds()
{
    std::unique_ptr<Session> session = sessionOn(40);
    SimulatedDevice* device = deviceOf(*session);
    SampleStore& samples = session->samples();
    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    samples.addMotor(0);
    QCOMPARE(samples.count(), 1);

    device->moveTo(0, 100000);
    double fastest = 0;
    for (int i = 0; i < 400; ++i) {
        session->advance(10);
        fastest = qMax(fastest, samples.series(0, SampleStore::Velocity).last().y());
    }
    QCOMPARE(samples.count(), 401);
    QCOMPARE(samples.series(0, SampleStore::Target).last(), QPointF(4.0, 100000));
    QCOMPARE(samples.series(0, SampleStore::Actual).last(), QPointF(4.0, 100000));
    QCOMPARE(samples.series(0, SampleStore::Velocity).last(), QPointF(4.0, 0));
    QCOMPARE(fastest, 50000.0);
    const QVector<QPointF> actual = samples.series(0, SampleStore::Actual);
    QVERIFY2(std::is_sorted(actual.begin(), actual.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); }),
             "the actual position only ever grows on the way");

    // Only the samples of the last 20 s stay.
    session->advance(30000);
    const QVector<QPointF> kept = samples.series(0, SampleStore::Actual);
    QCOMPARE(kept.last().x(), 34.0);
    QCOMPARE(kept.first().x(), 34.0 - SampleStore::WindowMs / 1000.0);
    QCOMPARE(samples.count(), kept.size());

    // A motor added at an instant already sampled joins that row; motors go in their order.
    std::unique_ptr<Session> two = sessionOn(100);
    two->samples().addMotor(1);
    two->samples().addMotor(0);
    QCOMPARE(two->samples().count(), 1);
    QCOMPARE(two->samples().motors(), (QList<quint8>{0, 1}));
}

void tst_Session::advanceStepsTheWindowAndCrossesTheTimeBeforeItAtOnce()
{
    std::unique_ptr<Session> session = sessionOn(40);
    SimulatedDevice* device = deviceOf(*session);
    session->samples().addMotor(0);
    QSignalSpy advanced(device, &SimulatedDevice::advanced);
    session->advance(30000);
    // One step for the 10 s before the window, then one per 20 ms of it.
    QCOMPARE(advanced.count(), 1 + 1000);
    QCOMPARE(advanced.first().first().toLongLong(), qint64(10000));
    QCOMPARE(session->samples().count(), 1001);
    QCOMPARE(session->samples().series(0, SampleStore::Actual).first().x(), 10.0);
    // A shorter last step ends where the advance does.
    session->advance(7);
    QCOMPARE(session->timeMs(), qint64(30007));
    QCOMPARE(session->samples().series(0, SampleStore::Actual).last().x(), 30.007);
}

void tst_Session::eachMoveIsPlannedAndItsArrivalToldAgainstThePlan()
{
    std::unique_ptr<Session> session = sessionOn(40);
    SimulatedDevice* device = deviceOf(*session);
    MovePlans& plans = session->plans();
    QSignalSpy changed(&plans, &MovePlans::planChanged);
    QSignalSpy arrived(&plans, &MovePlans::arrived);

    // Out of position mode a move jumps: nothing is drawn or timed.
    device->moveTo(0, 1000);
    session->advance(20);
    QVERIFY(!plans.drawn(MovePlans::Move, 0));
    QCOMPARE(arrived.count(), 0);

    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    session->advance(500);
    device->moveTo(0, 101000);
    session->advance(20);
    const MovePlans::Drawn* move = plans.drawn(MovePlans::Move, 0);
    QVERIFY(move);
    QCOMPARE(move->startSeconds, 0.52);
    QCOMPARE(QString::number(move->plan.arrival, 'f', 3), QStringLiteral("2.912"));
    QVERIFY(!changed.isEmpty());
    session->advance(4000);
    QCOMPARE(arrived.count(), 1);
    QCOMPARE(arrived.first().at(0).value<quint8>(), quint8(0));
    QVERIFY2(std::abs(arrived.first().at(1).toDouble() - arrived.first().at(2).toDouble()) <= 0.002,
             "the motion arrives when its plan says");
    // A new product forgets the plans.
    QString error;
    QVERIFY(session->host().openProduct(40, &error));
    QVERIFY(!plans.drawn(MovePlans::Move, 0));
}

void tst_Session::timersFireAtTheirDeviceTimeInOrder()
{
    std::unique_ptr<Session> session = sessionOn(40);
    VirtualTimers timers;
    session->setVirtualTimers(&timers);
    TimerLog log(*session);
    // Timers as QObject::startTimer registers them: a repeating 250 ms one,
    // a 400 ms one, and a single 1000 ms one started after the others.
    timers.registerTimer(1, 250, Qt::PreciseTimer, &log);
    timers.registerTimer(2, 400, Qt::CoarseTimer, &log);
    timers.registerTimer(3, 1000, Qt::CoarseTimer, &log);
    log.names = {{1, QStringLiteral("a")}, {2, QStringLiteral("b")}, {3, QStringLiteral("c")}};
    QCOMPARE(timers.untilNextDue(), qint64(250));
    session->advance(1000);
    // Due at once, the timer started (or restarted) first fires first: c before a, restarted at 750.
    QCOMPARE(log.fired, QStringList({"a@250", "b@400", "a@500", "a@750", "b@800", "c@1000", "a@1000"}));
    QCOMPARE(timers.nowMs(), qint64(1000));
    QCOMPARE(timers.remainingTime(1), 250);

    // Cut in other steps, time passes the same way.
    log.fired.clear();
    timers.unregisterTimer(3);
    for (int i = 0; i < 13; ++i)
        session->advance(40);
    QCOMPARE(log.fired, QStringList({"b@1200", "a@1250", "a@1500"}));
    QVERIFY(timers.unregisterTimers(&log));
    QCOMPARE(timers.untilNextDue(), qint64(-1));
}

void tst_Session::timersOfAFinishedTimerOrOfNoIntervalDoNotStallTime()
{
    std::unique_ptr<Session> session = sessionOn(40);
    VirtualTimers timers;
    session->setVirtualTimers(&timers);
    TimerLog log(*session);
    log.names = {{7, QStringLiteral("zero")}};
    // A timer of no interval fires once at each stop of time, and makes none of its own.
    timers.registerTimer(7, 0, Qt::CoarseTimer, &log);
    session->advance(60);
    QCOMPARE(log.fired.first(), QStringLiteral("zero@0"));
    QVERIFY2(log.fired.size() <= 8, qPrintable(log.fired.join(' ')));
    QCOMPARE(session->timeMs(), qint64(60));
    session->runEventLoopOnce();
    QCOMPARE(log.fired.last(), QStringLiteral("zero@60"));
    // A timer started between two commands, due at once, fires before the next one.
    log.names.insert(8, QStringLiteral("now"));
    timers.registerTimer(8, 0, Qt::CoarseTimer, &log);
    session->runEventLoopOnce();
    QCOMPARE(log.fired.last(), QStringLiteral("now@60"));
}

void tst_Session::wallClockRestsWhileNothingMovesAndRefreshesOnlyWhatIsTraced()
{
    std::unique_ptr<Session> session = sessionOn(40);
    SimulatedDevice* device = deviceOf(*session);
    session->samples().addMotor(0);
    QSignalSpy refreshed(session.get(), &Session::refreshed);
    const QTimer* tick = session->clock().findChild<QTimer*>(QStringLiteral("deviceClockTick"));
    QVERIFY(tick);
    const QTimer* trace = session->clock().findChild<QTimer*>(QStringLiteral("deviceClockTrace"));
    QVERIFY(trace);
    // Resting, the clock ticks and the traces refresh less often.
    const auto resting = [tick, trace] {
        return tick->interval() == DeviceClock::RestingTickMs && trace->interval() == DeviceClock::RestingTraceIntervalMs;
    };
    session->setRealTime(true);
    // Nothing moves: the clock ticks slowly; a move started wakes it at once, and it stays awake.
    QTRY_VERIFY(resting());
    QVERIFY(session->timeMs() > 0);
    QVERIFY(device->setValue(0, QStringLiteral("MOTION_MODE"), 3));
    device->moveTo(0, 1000000);
    QVERIFY(tick->interval() == SimulatedDevice::StepMs && trace->interval() == DeviceClock::TraceIntervalMs);
    QTest::qWait(5 * SimulatedDevice::StepMs);
    QVERIFY(tick->interval() == SimulatedDevice::StepMs && trace->interval() == DeviceClock::TraceIntervalMs);
    // No tool traces anything: the clock's refreshes are not made, nor said.
    QTest::qWait(3 * DeviceClock::TraceIntervalMs);
    QCOMPARE(refreshed.count(), 0);
    session->setRealTime(false);
}

QTEST_MAIN(tst_Session)
#include "tst_session.moc"
