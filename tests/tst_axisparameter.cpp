// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "genericpositionmode.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

namespace {
const char kNoProductModule[] = "PositionMode_AxisParameter::PositionMode_AxisParameter(QString, quint8, "
                                "ZYRAModuleInterface*, int) getProductModule() failed ";

// The axis's name of a role: "actualPosition" or "linearActualPosition".
QString role(int variant, const QString& name)
{
    return variant == 108 ? QStringLiteral("linear") + name.at(0).toUpper() + name.mid(1) : name;
}

// What a click sent to the device.
QStringList press(Fixture& fixture, const QString& button, const QString& relativeTo = QString())
{
    fixture.dropJournal();
    if (!relativeTo.isEmpty() && !fixture.choose("cmbRelativeTo", relativeTo))
        return {"no item " + relativeTo};
    return fixture.click(button) ? fixture.journal() : QStringList{"cannot click " + button};
}

QString rowLabel(const Fixture& fixture, const QString& layout, const QString& editor)
{
    auto* label = qobject_cast<QLabel*>(fixture.find<QFormLayout>(layout)->labelForField(fixture.find(editor)));
    return label ? label->text() : QString();
}
} // namespace

class tst_AxisParameter : public QObject
{
    Q_OBJECT

private slots:
    void movesStopAndClearGoThroughTheAxisCommand_data();
    void movesStopAndClearGoThroughTheAxisCommand();
    void editorsFillTheirRowsAndShowTracesTheAxis_data() { movesStopAndClearGoThroughTheAxisCommand_data(); }
    void editorsFillTheirRowsAndShowTracesTheAxis();
    void rampGroupMirrorsTheDeviceAndWritesOnlyRealChanges();
    void commutationModeDisablesTheToolWithAHint_data();
    void commutationModeDisablesTheToolWithAHint();
    void missingParametersHideTheirControlsAndAreSkipped_data();
    void missingParametersHideTheirControlsAndAreSkipped();
};

void tst_AxisParameter::movesStopAndClearGoThroughTheAxisCommand_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("move");
    QTest::newRow("rotary") << 105 << "m0 move %1";
    QTest::newRow("linear") << 108 << "m0 write parameter linearTargetPosition %1";
}

void tst_AxisParameter::movesStopAndClearGoThroughTheAxisCommand()
{
    QFETCH(int, variant);
    QFETCH(QString, move);
    Fixture fixture(variant);
    fixture.open();
    fixture.setDevice(role(variant, "actualPosition"), 3000);
    const QString readActual = "m0 read parameter " + role(variant, "actualPosition") + " -> 3000";

    QVERIFY(fixture.type("sbTargetPosition", 500));
    QCOMPARE(press(fixture, "btnMoveAbsolute"), QStringList{move.arg(500)});
    QCOMPARE(press(fixture, "btnMoveRelative", "actual position"), QStringList({readActual, move.arg(3500)}));
    QCOMPARE(press(fixture, "btnStop"), QStringList({readActual, move.arg(3000)}));
    QVERIFY(fixture.type("sbTargetPosition", 1000));

    fixture.setDevice(role(variant, "targetPosition"), 7000);
    QCOMPARE(press(fixture, "btnClear"),
             QStringList({"m0 write parameter " + role(variant, "actualPosition") + " 0",
                          "m0 read parameter " + role(variant, "targetPosition") + " -> 7000"}));
    QVERIFY2(press(fixture, "btnMoveRelative", "target position") == QStringList{move.arg(8000)},
             "Clear reloads the running target");
}

void tst_AxisParameter::editorsFillTheirRowsAndShowTracesTheAxis()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    ToolsInterface* tool = fixture.open();
    QCOMPARE(tool->toolsName(),
             variant == 108 ? QStringLiteral("Position mode (Linear)") : QStringLiteral("Position mode"));
    QCOMPARE(tool->isLinearAxis(), variant == 108);
    QCOMPARE(rowLabel(fixture, "layoutVMAX", role(variant, "maxVelocity")), QStringLiteral("Max velocity"));
    QCOMPARE(rowLabel(fixture, "layoutAccelDecel", role(variant, "acceleration")), QStringLiteral("Acceleration"));
    QCOMPARE(rowLabel(fixture, "layoutAccelDecel", role(variant, "deceleration")), QStringLiteral("Deceleration"));
    const QString actual = role(variant, "actualPosition");
    auto* actualEditor = fixture.find<QSpinBox>(actual);
    QVERIFY(actualEditor && actualEditor->isReadOnly());
    QCOMPARE(fixture.find<QLayout>("horizontalLayout_3")->indexOf(actualEditor), 1);

    fixture.dropJournal();
    fixture.show();
    QCOMPARE(fixture.journal(), QStringList({"m0 trace commutationMode", "m0 trace " + actual}));
    tool->updateSubWidgetValues(8);
    QCOMPARE(fixture.journal(), QStringList({"m0 read parameter " + role(variant, "maxVelocity") + " -> 20000",
                                             "m0 read parameter " + role(variant, "acceleration") + " -> 10000",
                                             "m0 read parameter " + role(variant, "deceleration") + " -> 10000",
                                             "m0 read parameter rampEnable -> 1"}));
    fixture.hide();
    QCOMPARE(fixture.journal(), QStringList{"m0 untrace all"});
}

void tst_AxisParameter::rampGroupMirrorsTheDeviceAndWritesOnlyRealChanges()
{
    Fixture fixture(105);
    fixture.open();
    auto* group = fixture.find<QGroupBox>("gbAccelDecel");
    fixture.setDevice("rampEnable", 0);
    QVERIFY(group->isChecked() && fixture.module()->poll(0, "rampEnable"));
    QVERIFY2(!group->isChecked(), "the group follows the device");
    QCOMPARE(fixture.journal(), QStringList());
    QVERIFY(fixture.check("gbAccelDecel", true));
    QCOMPARE(fixture.journal(), QStringList{"m0 write parameter rampEnable 1"});
}

void tst_AxisParameter::commutationModeDisablesTheToolWithAHint_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QList<int>>("modes");
    QTest::addColumn<QString>("hint");
    const QByteArray rotary = Fixture::productXml(105);
    QTest::newRow("disabled") << rotary << QList<int>{0} << "disabled";
    QTest::newRow("open loop") << rotary << QList<int>{4, 1} << "open loop";
    QTest::newRow("back to a supported mode") << rotary << QList<int>{0, 1, 4} << "";
    QTest::newRow("no hint support") << Fixture::withoutNamed(rotary, "CommutationModeHintSupport") << QList<int>{0, 1}
                                     << "";
    QTest::newRow("hint support not exactly true")
        << QByteArray(rotary).replace("value=\"true\"", "value=\"True\"") << QList<int>{0} << "";
    QTest::newRow("linear axis without features") << Fixture::productXml(108) << QList<int>{0, 1} << "";
}

void tst_AxisParameter::commutationModeDisablesTheToolWithAHint()
{
    QFETCH(QByteArray, product);
    QFETCH(QList<int>, modes);
    QFETCH(QString, hint);
    Fixture fixture(product, "test product");
    ToolsInterface* tool = fixture.open();
    fixture.show();
    for (int mode : modes) {
        fixture.setDevice("commutationMode", mode);
        fixture.refresh();
    }
    QStringList shown;
    for (const QLabel* label : fixture.find("gbHints")->findChildren<QLabel*>())
        shown << (label->isHidden() ? QString() : label->text());
    shown.removeAll(QString());
    QCOMPARE(shown, hint.isEmpty() ? QStringList()
                                   : QStringList{"Commutation mode is set to \"" + hint
                                                 + "\". This tool is not supported in this case."});
    QCOMPARE(tool->isEnabled(), hint.isEmpty());
    QCOMPARE(fixture.find("gbHints")->isHidden(), hint.isEmpty());
}

void tst_AxisParameter::missingParametersHideTheirControlsAndAreSkipped_data()
{
    QTest::addColumn<QByteArray>("product");
    QTest::addColumn<QString>("hidden");
    QTest::addColumn<QString>("deceleration");
    QTest::addColumn<QStringList>("clearOnNull");
    const QByteArray rotary = Fixture::productXml(105);
    const QString one = "m0 write parameter clearOnNull1 1";
    const QString two = "m0 write parameter clearOnNull2 1";
    auto row = [&](const char* name, const QString& missing) -> QTestData& {
        return QTest::newRow(name) << Fixture::withoutNamed(rotary, missing);
    };
    row("no clearOnNull1", "clearOnNull1") << "btnClearOnNull"
                                           << "deceleration" << QStringList{two};
    row("no clearOnNull2", "clearOnNull2") << "btnClearOnNull"
                                           << "deceleration" << QStringList{one};
    row("no rampEnable", "rampEnable") << "gbAccelDecel"
                                       << "deceleration" << QStringList{one, two};
    row("no actual position", "actualPosition") << ""
                                                << "deceleration" << QStringList{one, two};
    row("no commutation mode", "commutationMode") << "gbHints"
                                                  << "deceleration" << QStringList{one, two};
    QTest::newRow("no linear target") << Fixture::withoutNamed(Fixture::productXml(108), "linearTargetPosition") << ""
                                      << "linearDeceleration" << QStringList{one, two};
    // Some rotary modules keep their deceleration under a second parameter.
    QTest::newRow("alternative deceleration")
        << QByteArray(rotary).replace("\"deceleration\"", "\"decelerationAlternative\"") << ""
        << "decelerationAlternative" << QStringList{one, two};
}

void tst_AxisParameter::missingParametersHideTheirControlsAndAreSkipped()
{
    QFETCH(QByteArray, product);
    QFETCH(QString, hidden);
    QFETCH(QString, deceleration);
    QFETCH(QStringList, clearOnNull);
    Fixture fixture(product, "test product");
    ToolsInterface* tool = fixture.open();
    QVERIFY(hidden.isEmpty() || fixture.find(hidden)->isHidden());
    QCOMPARE(rowLabel(fixture, "layoutAccelDecel", deceleration), QStringLiteral("Deceleration"));
    fixture.dropJournal();
    fixture.find<QAbstractButton>("btnClearOnNull")->click();
    QCOMPARE(fixture.journal(), clearOnNull);

    fixture.show();
    fixture.refresh();
    for (const char* button : {"btnMoveAbsolute", "btnMoveRelative", "btnStop", "btnClear", "btnClearOnNull"})
        fixture.find<QAbstractButton>(button)->click();
    fixture.find<QGroupBox>("gbAccelDecel")->setChecked(false);
    tool->updateSubWidgetValues(8);
    fixture.hide();
    QVERIFY(tool->isEnabled());
}

QTEST_MAIN(tst_AxisParameter)
#include "tst_axisparameter.moc"
