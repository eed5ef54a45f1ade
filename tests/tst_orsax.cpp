// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "model/registercontroller.h"
#include "model/zyrafield.h"
#include "register/positionmode_orsax.h"

#include <QSpinBox>
#include <QTest>

namespace {
QString target(int position)
{
    return QStringLiteral("m0 write field PID_POSITION_TARGET %1").arg(position);
}

QStringList moveTo(int position)
{
    return {QStringLiteral("m0 write field MODE_MOTION 3"), target(position)};
}

QString actualRead(int position)
{
    return QStringLiteral("m0 read field PID_POSITION_ACTUAL -> %1").arg(position);
}

// Plays a user's session, e.g. "show; abs 500; from target; rel 100; stop".
bool play(Fixture& fixture, const QString& session)
{
    const QStringList steps = session.split(QLatin1Char(';'));
    for (const QString& step : steps) {
        const QStringList words = step.simplified().split(QLatin1Char(' '));
        const QString& verb = words.first();
        const int number = words.value(1).toInt();
        bool done = true;
        if (verb == "abs" || verb == "rel")
            done = fixture.type("sbTargetPosition", number)
                   && fixture.click(verb == "abs" ? "btnMoveAbsolute" : "btnMoveRelative");
        else if (verb == "from")
            done = fixture.choose("cmbRelativeTo", words.value(1) + " position");
        else if (verb == "show")
            fixture.show();
        else if (verb == "hide")
            fixture.hide();
        else
            done = fixture.click(verb == "stop" ? "btnStop" : "btnClear");
        if (!done)
            return false;
    }
    return true;
}

// Product 100 with the target field's layout attributes replaced.
QByteArray withTargetLayout(const QByteArray& layout)
{
    const QByteArray field = R"(register="PID_POSITION_TARGET" )";
    const QByteArray original = field + R"(mask="0xFFFFFFFF" signed="true")";
    QByteArray xml = Fixture::productXml(100);
    if (!xml.contains(original))
        qFatal("product 100 no longer lays out the target field as this test expects");
    return xml.replace(original, field + layout);
}
} // namespace

class tst_Orsax : public QObject
{
    Q_OBJECT

private slots:
    void sessionsSendTheirTargets_data();
    void sessionsSendTheirTargets();
    void targetRangeAndToolTipComeFromTheTargetField_data();
    void targetRangeAndToolTipComeFromTheTargetField();
};

void tst_Orsax::sessionsSendTheirTargets_data()
{
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("expected");

    // Without a field only what needs it is skipped.
    const QString trace = "m0 trace PID_POSITION_ACTUAL";
    const QString clear = "m0 write field PID_POSITION_ACTUAL 0";
    const QString untrace = "m0 untrace all";
    QTest::newRow("no actual position") << QStringList{"PID_POSITION_ACTUAL"} << (moveTo(500) + moveTo(700) << untrace);
    QTest::newRow("no target position") << QStringList{"PID_POSITION_TARGET"}
                                        << QStringList{trace, actualRead(0), actualRead(0), clear, untrace};
    QTest::newRow("no motion mode") << QStringList{"MODE_MOTION"}
                                    << QStringList{trace,         target(500), actualRead(0), target(100), target(700),
                                                   actualRead(0), target(0),   clear,         untrace};
    QTest::newRow("none of the three") << QStringList{"PID_POSITION_ACTUAL", "PID_POSITION_TARGET", "MODE_MOTION"}
                                       << QStringList{untrace};
}

void tst_Orsax::sessionsSendTheirTargets()
{
    QFETCH(QStringList, missing);
    QFETCH(QStringList, expected);

    QByteArray xml = Fixture::productXml(100);
    for (const QString& name : qAsConst(missing))
        xml = Fixture::withoutNamed(xml, name);
    Fixture fixture(xml, QStringLiteral("orsax-session.xml"));
    QVERIFY(qobject_cast<PositionMode_Orsax*>(fixture.open()));
    QVERIFY2(play(fixture, "show; abs 500; rel 100; from target; rel 100; stop; clear; hide"),
             "a widget of the session was not there to use");
    QCOMPARE(fixture.journal(), expected);
}

void tst_Orsax::targetRangeAndToolTipComeFromTheTargetField_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("range");

    QTest::newRow("-500..500") << QByteArray(R"(mask="0xFFFFFFFF" signed="true" min="-500" max="500")") << -500 << 500
                               << "(-500..500)";
    // The maximum narrows to -1 and is set first, so the minimum 0 then pulls
    // it up to 0; the tool tip keeps the field's own range.
    QTest::newRow("unsigned 32-bit") << QByteArray(R"(mask="0xFFFFFFFF")") << 0 << 0 << "(0..4294967295)";
}

void tst_Orsax::targetRangeAndToolTipComeFromTheTargetField()
{
    QFETCH(QByteArray, layout);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(QString, range);

    Fixture fixture(withTargetLayout(layout), QStringLiteral("orsax-range.xml"));
    fixture.open();
    const auto* target = fixture.find<QSpinBox>("sbTargetPosition");
    const Model::ZYRAField* field = fixture.tool()->registerController()->get("PID_POSITION_TARGET", false);
    QVERIFY(target && field && !field->addressHexString().isEmpty());
    QCOMPARE(target->minimum(), minimum);
    QCOMPARE(target->maximum(), maximum);
    QCOMPARE(target->toolTip(), "Reg: " + field->addressHexString() + " " + range);
}

QTEST_MAIN(tst_Orsax)
#include "tst_orsax.moc"
