// SPDX-License-Identifier: MIT
#include "device/moveplanner.h"
#include "device/rampgenerator.h"
#include "device/simulateddevice.h"
#include "fixture.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

namespace {
constexpr double kTick = RampGenerator::TickSeconds;

// The field or parameter of a product's motion role ("target", "actual"), empty if not wired.
struct ProductMotion
{
    explicit ProductMotion(const Fixture& f)
    {
        const auto sources = f.module()->motion().sources;
        target = sources.value(QStringLiteral("target")).name;
        actual = sources.value(QStringLiteral("actual")).name;
    }
    QString target, actual;
};
} // namespace

class tst_Motion : public QObject
{
    Q_OBJECT

private slots:
    void howTimeIsCutDoesNotChangeTheMotion_data();
    void howTimeIsCutDoesNotChangeTheMotion();
    void longFractionalCruiseArrivesWhenPlannedHoweverItsTimeIsCut_data();
    void longFractionalCruiseArrivesWhenPlannedHoweverItsTimeIsCut();
    void aCruiseFollowsARampOrTargetChangedOnTheWay_data();
    void aCruiseFollowsARampOrTargetChangedOnTheWay();
};

void tst_Motion::howTimeIsCutDoesNotChangeTheMotion_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("setting"); // a device value set before the move, if any
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("distance");
    const qint64 top = 2147483647;
    QTest::newRow("direct") << 40 << "RAMP_ENABLE" << qint64(0) << qint64(5) << qint64(-123456);
    QTest::newRow("eight-point, long cruise across the counter's end")
        << 40 << "" << qint64(0) << top - 500000 << qint64(1200000);
    QTest::newRow("eight-point, cruise of a fraction a tick")
        << 40 << "RAMPER_V_MAX" << qint64(1234567) << qint64(-7) << qint64(-300001);
    QTest::newRow("trapezoid, long cruise across the counter's start")
        << 100 << "" << qint64(0) << -top + 300000 << qint64(-1000000);
    QTest::newRow("trapezoid, cruise of 246.9 positions a step")
        << 100 << "PID_VELOCITY_LIMIT" << qint64(12345) << qint64(1000) << qint64(-500000);
    QTest::newRow("eight-point module, cruise of a fifth of a position a step")
        << 139 << "maxVelocity" << qint64(1) << qint64(0) << qint64(300);
}

void tst_Motion::howTimeIsCutDoesNotChangeTheMotion()
{
    QFETCH(int, variant);
    QFETCH(QString, setting);
    QFETCH(qint64, value);
    QFETCH(qint64, start);
    QFETCH(qint64, distance);
    // The same move advanced in 1 ms steps and in random cuts, long and short.
    Fixture fine(variant);
    Fixture cut(variant);
    const ProductMotion m(fine);
    const QString actual = m.actual;
    QList<qint64> arrivals[2];
    for (Fixture* f : {&fine, &cut}) {
        QList<qint64>& arrived = arrivals[f == &cut];
        connect(f->device(), &SimulatedDevice::moveArrived, f->device(),
                [&arrived](quint8, qint64 ms) { arrived << ms; });
        f->positionModeRamp();
        if (!setting.isEmpty())
            f->setDevice(setting, value);
        f->setDevice(actual, start);
        f->setDevice(m.target, qint32(quint32(quint64(start + distance))));
    }
    const quint32 seed = 20261206u + quint32(QTest::currentDataTag()[0]);
    QRandomGenerator random(seed);
    while (arrivals[1].isEmpty() && cut.device()->timeMs() < 120000) {
        const int ms = random.bounded(4) == 0 ? random.bounded(500, 8000) : random.bounded(1, 60);
        cut.device()->advance(ms);
        while (fine.device()->timeMs() < cut.device()->timeMs())
            fine.device()->advance(1);
        const QString where = QStringLiteral("seed %1, at %2 ms").arg(seed).arg(cut.device()->timeMs());
        QVERIFY2(cut.deviceValue(actual) == fine.deviceValue(actual), qPrintable(where));
        QVERIFY2(cut.device()->velocity(0) == fine.device()->velocity(0), qPrintable(where));
    }
    QCOMPARE(arrivals[1], arrivals[0]);
    QCOMPARE(arrivals[1].size(), 1);
    QCOMPARE(cut.deviceValue(actual), qint64(qint32(quint32(quint64(start + distance)))));
}

void tst_Motion::longFractionalCruiseArrivesWhenPlannedHoweverItsTimeIsCut_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("setting"); // the VMAX value set before the move
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("distance");
    // Stepped one step at a time, this one alone would keep a core busy for hours.
    QTest::newRow("Veltrax at 0.01 positions/s, 6 years") << 135 << "RAMPER_V_MAX" << qint64(1) << qint64(2000000);
    QTest::newRow("Zell at 12345.67 positions/s, 48 hours")
        << 40 << "RAMPER_V_MAX" << qint64(1234567) << qint64(2147480000);
    QTest::newRow("Veltrax module at 10 positions/s backwards, 2 days")
        << 139 << "maxVelocity" << qint64(1) << qint64(-2000000);
}

// Advanced in cuts of up to 2^31 - 1 ms, two different ways, a cruise of a
// fraction of a position per step comes out the same both ways and where the
// planner puts it, and arrives when it planned.
void tst_Motion::longFractionalCruiseArrivesWhenPlannedHoweverItsTimeIsCut()
{
    QFETCH(int, variant);
    QFETCH(QString, setting);
    QFETCH(qint64, value);
    QFETCH(qint64, distance);
    Fixture one(variant);
    Fixture other(variant);
    const ProductMotion m(one);
    const qint32 target = qint32(distance);
    QList<qint64> arrivals[2];
    for (Fixture* f : {&one, &other}) {
        QList<qint64>& arrived = arrivals[f == &other];
        connect(f->device(), &SimulatedDevice::moveArrived, f->device(),
                [&arrived](quint8, qint64 ms) { arrived << ms; });
        f->positionModeRamp();
        f->setDevice(setting, value);
    }
    const MovePlanner::Plan plan = MovePlanner::planMoveTo(*one.device(), 0, target);
    QVERIFY2(plan.phases.size() > 1 && plan.arrival > 1e5, "a move that cruises for days");
    one.setDevice(m.target, target);
    other.setDevice(m.target, target);

    const quint32 seed = 20261207u + quint32(QTest::currentDataTag()[0]);
    QRandomGenerator random(seed);
    // From a millisecond to the longest advance, evenly on a log scale.
    const auto cut = [&random] { return qint64(std::exp(random.generateDouble() * std::log(2147483647.0))); };
    const qint64 limit = qint64(plan.arrival * 1000) + 1000;
    while (arrivals[0].isEmpty() && one.device()->timeMs() < limit) {
        one.device()->advance(int(cut()));
        while (other.device()->timeMs() < one.device()->timeMs())
            other.device()->advance(int(qMin(cut(), one.device()->timeMs() - other.device()->timeMs())));
        const qint64 ms = one.device()->timeMs();
        const QString where = QStringLiteral("seed %1, at %2 ms").arg(seed).arg(ms);
        QVERIFY2(one.deviceValue(m.actual) == other.deviceValue(m.actual), qPrintable(where));
        QVERIFY2(one.device()->velocity(0) == other.device()->velocity(0), qPrintable(where));
        const double off = MovePlanner::wrapped(plan.positionAt(ms / 1000.0) - one.device()->currentMotion(0).position);
        QVERIFY2(std::abs(off) <= plan.peakVelocity * kTick + 1e-6,
                 qPrintable(QStringLiteral("%1: %2 off the plan").arg(where).arg(off)));
    }
    QCOMPARE(arrivals[0].size(), 1);
    QCOMPARE(arrivals[1], arrivals[0]);
    QVERIFY2(std::abs(arrivals[0].first() - plan.arrival * 1000) <= 2,
             qPrintable(QStringLiteral("arrived after %1 ms, planned %2 ms")
                            .arg(arrivals[0].first())
                            .arg(plan.arrival * 1000, 0, 'f', 3)));
    QCOMPARE(one.deviceValue(m.actual), qint64(target));
}

void tst_Motion::aCruiseFollowsARampOrTargetChangedOnTheWay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("value");
    QTest::newRow("VMAX lowered to a fraction a step") << "RAMPER_V_MAX" << qint64(1234567);
    QTest::newRow("DMAX lowered") << "RAMPER_D_MAX" << qint64(50);
    QTest::newRow("a nearer target") << "FOC_PID_POSITION_TARGET" << qint64(6000000);
}

// Two minutes into a cruise on the Zell product, a change the motion must
// follow; it then arrives when a plan made at the change says.
void tst_Motion::aCruiseFollowsARampOrTargetChangedOnTheWay()
{
    QFETCH(QString, name);
    QFETCH(qint64, value);
    Fixture f(40);
    f.positionModeRamp();
    QList<qint64> arrived;
    connect(f.device(), &SimulatedDevice::moveArrived, f.device(), [&arrived](quint8, qint64 ms) { arrived << ms; });
    f.setDevice(QStringLiteral("FOC_PID_POSITION_TARGET"), 2147480000);
    f.device()->advance(120000);
    f.setDevice(name, value);
    const qint32 target = qint32(f.deviceValue(QStringLiteral("FOC_PID_POSITION_TARGET")));
    const MovePlanner::Plan plan = MovePlanner::planMoveTo(*f.device(), 0, target);
    f.device()->advance(int(plan.arrival * 1000) + 1000);
    QCOMPARE(arrived.size(), 1);
    QVERIFY2(std::abs(arrived.first() - 120000 - plan.arrival * 1000) <= 2,
             qPrintable(QStringLiteral("arrived %1 ms after the change, planned %2 ms")
                            .arg(arrived.first() - 120000)
                            .arg(plan.arrival * 1000, 0, 'f', 3)));
    QCOMPARE(f.deviceValue(QStringLiteral("FOC_PID_POSITION_ACTUAL")), qint64(target));
}

QTEST_MAIN(tst_Motion)
#include "tst_motion.moc"
