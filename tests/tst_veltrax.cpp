// SPDX-License-Identifier: MIT
#include "common/rampgraph.h"
#include "fixture.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsSvgItem>
#include <QGraphicsView>
#include <QGroupBox>
#include <QSpinBox>
#include <QtTest>

namespace {
const char kTVMax[] = "RAMPER_TIME_CONFIG_T_VMAX";

QByteArray productWithout(const char* name)
{
    return Fixture::withoutNamed(Fixture::productXml(135), QLatin1String(name));
}

// "NAME value" pairs as the journal's field writes.
QStringList writes(const QString& pairs)
{
    QStringList lines = pairs.split(QLatin1Char(','));
    for (QString& line : lines)
        line.prepend(QLatin1String("m0 write field "));
    return lines;
}

QStringList moveWrites(int target)
{
    return writes(
        QStringLiteral("CONFIG_MOTION_MODE 3,CONFIG_RAMP_MODE 0,RAMPER_X_TARGET %1,PID_POSITION_TARGET %1").arg(target));
}

// The scene's items in stacking order, lowest first.
QList<QGraphicsItem*> sceneItems(QWidget* tool)
{
    auto* view = tool->findChild<QGraphicsView*>(QStringLiteral("graphicsView"));
    return view && view->scene() ? view->scene()->items(Qt::AscendingOrder) : QList<QGraphicsItem*>();
}
} // namespace

class tst_Veltrax : public QObject
{
    Q_OBJECT

private slots:
    void hotSpotRectanglesAreScaledButNotShifted()
    {
        const QRectF item(0, 0, 400, 200), bounds(10, 20, 30, 40), expected(20, 40, 60, 80);
        QCOMPARE(RampGraph::mapRectToScene(QRectF(0, 0, 200, 100), item, bounds), expected);
        QCOMPARE(RampGraph::mapRectToScene(QRectF(50, 0, 200, 100), item, bounds), expected);
    }

    void hotSpotsLieInTableOrderUnderThePictureAndLightUpWithTheirEditor()
    {
        Fixture f(135);
        // TVMAX follows VMAX in the picture but not in the register table.
        const QStringList editors = QStringLiteral("RAMPER_V_START,RAMPER_V_STOP,RAMPER_V1,RAMPER_V2,RAMPER_V_MAX,%1,"
                                                   "RAMPER_A1,RAMPER_A2,RAMPER_A_MAX,RAMPER_D1,RAMPER_D2,RAMPER_D_MAX,"
                                                   "RAMPER_TIME_CONFIG_T_ZEROWAIT")
                                        .arg(QLatin1String(kTVMax))
                                        .split(QLatin1Char(','));
        const QList<QGraphicsItem*> items = sceneItems(f.open());
        QCOMPARE(items.size(), editors.size() + 1);
        QVERIFY2(dynamic_cast<QGraphicsSvgItem*>(items.last()), "the picture lies above the hot spots");
        const auto lit = [&items] {
            QList<int> indexes;
            for (int i = 0; i < items.size(); ++i) {
                if (auto* area = dynamic_cast<HelperTargetArea*>(items.at(i)); area && area->isHighlighted())
                    indexes.append(i);
            }
            return indexes;
        };
        for (int i = 0; i < editors.size(); ++i) {
            auto* hotSpot = dynamic_cast<HelperTargetArea*>(items.at(i));
            QVERIFY2(hotSpot && !hotSpot->rect().isEmpty(), qPrintable(QStringLiteral("no hot spot %1").arg(i)));
            QCOMPARE(hotSpot->registerWidget()->objectName(), editors.at(i));
            QEvent enter(QEvent::Enter), leave(QEvent::Leave);
            QCoreApplication::sendEvent(f.find<QSpinBox>(editors.at(i)), &enter);
            QCOMPARE(lit(), QList<int>{i});
            QCoreApplication::sendEvent(f.find<QSpinBox>(editors.at(i)), &leave);
            QCOMPARE(lit(), QList<int>());
        }
    }

    void moveAndStopWriteModeRampModeThenBothTargets()
    {
        Fixture f(135);
        f.open();
        f.setDevice("PID_POSITION_ACTUAL", 1234);
        QVERIFY(f.type("sbTargetPosition", 500));
        QVERIFY(f.click("btnMoveAbsolute"));
        QCOMPARE(f.journal(), moveWrites(500));
        QVERIFY(f.click("btnStop"));
        QCOMPARE(f.journal(), QStringList("m0 read field PID_POSITION_ACTUAL -> 1234") + moveWrites(1234));
        QCOMPARE(f.find<QSpinBox>("sbActualPosition")->value(), 1234);
        QVERIFY(f.click("btnClear"));
        QCOMPARE(f.journal(), writes("PID_POSITION_ACTUAL 0"));
        QCOMPARE(f.find<QSpinBox>("sbActualPosition")->value(), 0);
    }

    void rampSwitchWritesThenRefreshesTheTable()
    {
        Fixture f(135);
        f.open();
        for (const bool on : {false, true}) {
            const QStringList expected = on ? writes("CONFIG_RAMP_ENABLE 1")
                                            : writes("CONFIG_FEEDFORWARD 0,CONFIG_RAMP_ENABLE 0");
            QVERIFY(f.check("gbRampEnable", on));
            const QStringList lines = f.journal();
            QCOMPARE(lines.mid(0, expected.size()), expected);
            QCOMPARE(lines.mid(expected.size()).filter(QRegularExpression("^m0 read field ")).size(), 14);
            QCOMPARE(lines.size(), expected.size() + 14);
            QCOMPARE(f.find("registersWidget")->isEnabled(), on);
            QCOMPARE(f.find("pbDefaults")->isEnabled(), on);
        }
    }

    void defaultsWriteInRowOrderAndSkipRowsWithoutAnEditor()
    {
        Fixture f(productWithout(kTVMax), "135.xml");
        f.open();
        f.setDevice("RAMPER_V_MAX", 42);
        QVERIFY(f.click("pbDefaults"));
        const QStringList lines = f.journal();
        QCOMPARE(lines.mid(0, 13), writes("RAMPER_V_START 0,RAMPER_V_STOP 1,RAMPER_V1 1000000,RAMPER_V2 3000000,"
                                          "RAMPER_V_MAX 5000000,RAMPER_A1 16000,RAMPER_A2 6000,RAMPER_A_MAX 2000,"
                                          "RAMPER_D1 16000,RAMPER_D2 6000,RAMPER_D_MAX 2000,"
                                          "RAMPER_TIME_CONFIG_T_ZEROWAIT 0,CONFIG_FEEDFORWARD 1"));
        QCOMPARE(lines.size(), 26);
        QCOMPARE(lines.last(), QStringLiteral("m0 read field CONFIG_FEEDFORWARD -> 1"));
        QCOMPARE(f.find<QSpinBox>("RAMPER_V_MAX")->value(), 5000000);
        auto* unlinked = dynamic_cast<HelperTargetArea*>(sceneItems(f.tool()).value(5));
        QVERIFY2(unlinked && !unlinked->registerWidget(), "the TVMAX hot spot stays, without an editor");
    }

    void withoutActualPositionStopHoldsTheLastTarget()
    {
        Fixture f(productWithout("PID_POSITION_ACTUAL"), "135.xml");
        f.open();
        QVERIFY(f.type("sbTargetPosition", 500));
        QVERIFY(f.click("btnMoveAbsolute"));
        QVERIFY(f.click("btnStop"));
        QVERIFY(f.click("btnMoveRelative"));
        QVERIFY(f.click("btnClear"));
        QCOMPARE(f.journal(), moveWrites(500) + moveWrites(500) + moveWrites(1000));
    }
};

QTEST_MAIN(tst_Veltrax)
#include "tst_veltrax.moc"
