// SPDX-License-Identifier: MIT
#include "common/rampregistertable.h"
#include "device/motionwiring.h"
#include "fixture.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

// What every position tool does alike, one table across the six variants.
namespace {
// The value the last move sent: the last number written to a target or handed to a move.
qint64 lastTarget(const QStringList& journal)
{
    static const QRegularExpression target(
        QStringLiteral(R"(^m0 (?:move|write \w+ \w*(?:TARGET|[tT]argetPosition)\w*) (-?\d+)$)"));
    for (auto line = journal.crbegin(); line != journal.crend(); ++line) {
        const QRegularExpressionMatch match = target.match(*line);
        if (match.hasMatch())
            return match.captured(1).toLongLong();
    }
    return 0x7FFFFFFFFFFFLL; // no move at all
}

// Types a number, clicks a button and tells the target that reached the device.
qint64 targetAfter(Fixture& fixture, int typed, const char* button)
{
    if (!fixture.type(QStringLiteral("sbTargetPosition"), typed))
        return -1;
    fixture.dropJournal();
    fixture.click(QLatin1String(button));
    return lastTarget(fixture.journal());
}

QString actualPositionOf(const Fixture& fixture)
{
    return fixture.module()->motion().sources.value(QStringLiteral("actual")).name;
}
} // namespace

class tst_Tools : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void relativeMovesStepTheLastTargetWhicheverBaseIsChosen_data() { Fixture::addVariantRows(); }
    void relativeMovesStepTheLastTargetWhicheverBaseIsChosen();
    void targetsAndStepsAtThe32BitEdgesWrapAround_data() { Fixture::addVariantRows(); }
    void targetsAndStepsAtThe32BitEdgesWrapAround();
    void shownToolTracesTheActualPositionUntilHidden_data() { Fixture::addVariantRows(); }
    void shownToolTracesTheActualPositionUntilHidden();
    void toolWithoutModuleTakesEveryClickAndReachesNothing_data() { Fixture::addVariantRows(); }
    void toolWithoutModuleTakesEveryClickAndReachesNothing();
    void openedRampPanelShowsEachEditorOnceInItsLabelledRow_data();
    void openedRampPanelShowsEachEditorOnceInItsLabelledRow();
};

void tst_Tools::relativeMovesStepTheLastTargetWhicheverBaseIsChosen()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    fixture.open();
    fixture.setDevice(actualPositionOf(fixture), 1000);
    auto* relativeTo = fixture.find<QComboBox>(QStringLiteral("cmbRelativeTo"));
    QVERIFY(relativeTo);
    QCOMPARE(relativeTo->currentText(), QStringLiteral("actual position"));

    QCOMPARE(targetAfter(fixture, 500, "btnMoveAbsolute"), 500);
    QVERIFY(fixture.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("target position")));
    QCOMPARE(targetAfter(fixture, 100, "btnMoveRelative"), 600);
    QCOMPARE(targetAfter(fixture, 100, "btnMoveRelative"), 700);
    QVERIFY(fixture.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("actual position")));
    QCOMPARE(targetAfter(fixture, -250, "btnMoveRelative"), 750);
    QCOMPARE(targetAfter(fixture, -250, "btnStop"), 1000);
    QVERIFY2(fixture.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("target position"))
                 && targetAfter(fixture, 0, "btnMoveRelative") == 450,
             "a move from the actual position still steps the last target, and Stop leaves it");
}

void tst_Tools::targetsAndStepsAtThe32BitEdgesWrapAround()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    fixture.open();
    QVERIFY(fixture.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("target position")));
    QCOMPARE(targetAfter(fixture, 2147483647, "btnMoveAbsolute"), 2147483647);
    QCOMPARE(targetAfter(fixture, 1, "btnMoveRelative"), -2147483648LL);
    QCOMPARE(targetAfter(fixture, -2147483647, "btnMoveAbsolute"), -2147483647);
    QCOMPARE(targetAfter(fixture, -2147483647, "btnMoveRelative"), 2);
    QCOMPARE(targetAfter(fixture, 2147483647, "btnMoveRelative"), -2147483647);

    QVERIFY(fixture.choose(QStringLiteral("cmbRelativeTo"), QStringLiteral("actual position")));
    fixture.setDevice(actualPositionOf(fixture), 2147483647);
    QCOMPARE(targetAfter(fixture, 2147483647, "btnMoveRelative"), -2);
    fixture.setDevice(actualPositionOf(fixture), -2147483647);
    QCOMPARE(targetAfter(fixture, -2147483647, "btnMoveRelative"), 2);
}

void tst_Tools::shownToolTracesTheActualPositionUntilHidden()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    fixture.open();
    const QString actual = actualPositionOf(fixture);
    auto* display = fixture.find<QSpinBox>(QStringLiteral("sbActualPosition"));
    display = display ? display : fixture.find<QSpinBox>(actual);
    QVERIFY(display);
    fixture.show();
    QVERIFY2(fixture.journal().contains("m0 trace " + actual), "showing traces the actual position");
    fixture.setDevice(actual, -123456);
    fixture.refresh();
    QTRY_COMPARE(display->value(), -123456);
    fixture.hide();
    QCOMPARE(fixture.tool()->traceCount(), 0);
    QVERIFY2(fixture.journal().last().startsWith(QLatin1String("m0 untrace ")), "hiding drops the traces");
}

void tst_Tools::toolWithoutModuleTakesEveryClickAndReachesNothing()
{
    QFETCH(int, variant);
    Fixture fixture(variant);
    if (variant == 105 || variant == 108) {
        QTest::ignoreMessage(QtCriticalMsg, "PositionMode_AxisParameter::PositionMode_AxisParameter(QString, quint8, "
                                            "ZYRAModuleInterface*, int) getProductModule() failed ");
    }
    ToolsInterface* tool = fixture.open(0, false);
    QVERIFY(tool);
    QCOMPARE(tool->toolsVariant(), variant);
    fixture.pressEverything();
    tool->updateSubWidgetValues(8);
    QCOMPARE(tool->traceCount(), 0);
    QCOMPARE(fixture.journal(), QStringList());
}

void tst_Tools::openedRampPanelShowsEachEditorOnceInItsLabelledRow_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("veltrax");
    QTest::newRow("40") << 40 << false;
    QTest::newRow("135") << 135 << true;
}

// The table's rows are only built when the panel first opens.
void tst_Tools::openedRampPanelShowsEachEditorOnceInItsLabelledRow()
{
    QFETCH(int, variant);
    QFETCH(bool, veltrax);
    Fixture fixture(variant);
    fixture.open();
    fixture.show();
    QVERIFY(fixture.check(QStringLiteral("pbOpenClose"), false) && fixture.check(QStringLiteral("pbOpenClose"), true)
            && fixture.check(QStringLiteral("pbOpenClose"), false));
    const auto forms = fixture.find(QStringLiteral("registersWidget"))->findChildren<QFormLayout*>();
    QCOMPARE(forms.size(), 1);
    QFormLayout* rows = forms.first();
    QCOMPARE(rows->rowCount(), int(RampRegisterTable::RowCount));
    for (int row = 0; row < rows->rowCount(); ++row) {
        const RampRegisterTable::RowInfo& info = RampRegisterTable::Rows[size_t(row)];
        const QString name = QLatin1String(veltrax ? info.veltraxField : info.zellField);
        auto* label = qobject_cast<QLabel*>(rows->itemAt(row, QFormLayout::LabelRole)->widget());
        QWidget* editor = rows->itemAt(row, QFormLayout::FieldRole)->widget();
        QVERIFY2(label && label->text() == name && label->buddy() == editor, qPrintable(name));
        QVERIFY2(editor == fixture.find(name) && editor->isVisible(), qPrintable(name));
    }
}

QTEST_MAIN(tst_Tools)
#include "tst_tools.moc"
