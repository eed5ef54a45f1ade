// SPDX-License-Identifier: MIT
#include "core/command.h"
#include "core/importfilter_exporttypes.h"
#include "core/importfilter_samemodule.h"
#include "fixture.h"
#include "model/parametercontroller.h"
#include "model/registercontroller.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "model/zyrafield.h"
#include "widgets/xmlparameterwidget.h"
#include "widgets/xmlregisterwidget.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <limits>

namespace {
// A tool that keeps every reply and import it receives.
class ListeningTool : public ToolsInterface
{
    Q_OBJECT

public:
    ListeningTool(quint8 motor, ZYRAModuleInterface* module)
        : ToolsInterface(QStringLiteral("listener"), QStringLiteral("Listener"), ToolsType::Undefined, 0, motor, module,
                         QString(), nullptr)
    {
    }

    QStringList replies;
    QStringList imports;

    void importValue(const export_type_t* key, QVariant value, QObject*) override
    {
        imports.append(QStringLiteral("%1=%2").arg(QLatin1String(key->name), value.toString()));
    }

public slots:
    void IN_replyValue(Command* reply)
    {
        replies.append(QStringLiteral("%1 %2 %3 0x%4 m%5 %6")
                           .arg(reply->status())
                           .arg(reply->address())
                           .arg(reply->command())
                           .arg(reply->type(), 0, 16)
                           .arg(reply->motorBank())
                           .arg(reply->value()));
    }
};
} // namespace

class tst_HostModel : public QObject
{
    Q_OBJECT

private slots:
    void registerAccessesAreJournaledOneLineEach();
    void parameterAccessesAndMovesAreJournaled();
    void tracesRefreshSilentlyAndReportOnlyChanges();
    void registerReadsReachTheToolsReplySlotQueued();
    void replyBufferFeedsTheFieldsOfItsRegister();
    void importFiltersPassOnlyTheirModuleAndKinds();
    void refusedParameterValueReportsTheValueKept();
    void modelObjectsVanishWithTheirModule();
    void registerEditorReportsOnlyConfirmedEdits();
    void parameterEditorsWriteWhatTheUserConfirms();
    void spinBoxSetUpRefusesWhatItCannotShow();
    void aNameMeansItsRegisterThenFieldThenParameter_data();
    void aNameMeansItsRegisterThenFieldThenParameter();
};

void tst_HostModel::registerAccessesAreJournaledOneLineEach()
{
    auto module = Fixture::makeModule(40);
    XmlProductIC* ic = module->getIcProduct(0);
    XmlValueRegister* motion = ic->getRegisterByName(QStringLiteral("MCC_CONFIG_MOTOR_MOTION"), true);
    XmlValueRegisterField* rampEnable = ic->getRegisterFieldByName(QStringLiteral("RAMP_ENABLE"), true);
    int value = -1;

    module->readChannelRegister(motion, 0, &value);
    QCOMPARE(value, 0x00040350);
    module->writeChannelRegister(motion, 1, -2);
    module->readChannelRegister(quint16(0x0057), 0, &value);
    module->readChannelRegister(quint16(0x0999), 0, &value);
    QCOMPARE(value, 0);
    module->writeChannelField(rampEnable, 0, 0);
    module->writeAndReadChannelField(rampEnable, 0, 1, &value);
    QCOMPARE(value, 0x00040350);
    module->registerController(0)->get(QStringLiteral("RAMPER_A2"), false)->setValue(77);
    QCOMPARE(module->registerController(0)->get(QStringLiteral("RAMPER_A2"), false)->value(nullptr), 77);
    module->poll(0, QStringLiteral("RAMPER_V1"));

    QCOMPARE(module->journal()->lines(), QStringList({
                                             "m0 read register MCC_CONFIG_MOTOR_MOTION -> 262992",
                                             "m1 write register MCC_CONFIG_MOTOR_MOTION -2",
                                             "m0 read register RAMPER_TIME_CONFIG -> 0",
                                             "m0 read register 0x0999 -> 0",
                                             "m0 write field RAMP_ENABLE 0",
                                             "m0 write field RAMP_ENABLE 1",
                                             "m0 read register MCC_CONFIG_MOTOR_MOTION -> 262992",
                                             "m0 write field RAMPER_A2 77",
                                             "m0 read field RAMPER_A2 -> 77",
                                         }));
    // Channels are separate devices: channel 1's write left channel 0 alone.
    module->readChannelRegister(motion, 1, &value);
    QCOMPARE(value, -2);
}

void tst_HostModel::parameterAccessesAndMovesAreJournaled()
{
    auto module = Fixture::makeModule(105);
    ListeningTool tool(1, module.get());
    Model::ZYRAParameter* maxVelocity = tool.controller()->maxVelocity;
    QVERIFY(maxVelocity);
    QCOMPARE(maxVelocity->getWarned(QStringLiteral("tool")), maxVelocity);
    QVERIFY(!tool.controller()->linearMaxVelocity);

    maxVelocity->writeValue(1234);
    QCOMPARE(maxVelocity->readValue(false), 1234);
    QCOMPARE(maxVelocity->readValue(true), 1234);
    tool.doMoveToPosition(-5);
    tool.addTrace(tool.controller()->actualPosition->xmlParameter());
    tool.removeTrace(tool.controller()->actualPosition->xmlParameter());
    tool.removeAllTraces();

    QCOMPARE(module->journal()->lines(), QStringList({
                                             "m1 write parameter maxVelocity 1234",
                                             "m1 read parameter maxVelocity -> 1234",
                                             "m1 move -5",
                                             "m1 trace actualPosition",
                                             "m1 untrace actualPosition",
                                             "m1 untrace all",
                                         }));
    QCOMPARE(module->device()->target(1), -5);
}

void tst_HostModel::tracesRefreshSilentlyAndReportOnlyChanges()
{
    auto module = Fixture::makeModule(100);
    ListeningTool tool(0, module.get());
    Model::ZYRAField* actual = tool.registerController()->get(QStringLiteral("PID_POSITION_ACTUAL"), false);
    QSignalSpy updated(actual, &Model::ZYRAField::valueUpdated);
    QSignalSpy changed(actual, &Model::ZYRAField::valueChanged);
    tool.addTrace(actual->xmlParameter(), 0);
    module->journal()->clear();

    tool.refreshTraces();
    module->device()->setValue(0, QStringLiteral("PID_POSITION_ACTUAL"), 42);
    tool.refreshTraces();
    tool.refreshTraces();

    QCOMPARE(updated.count(), 3);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toInt(), 0);
    QCOMPARE(changed.at(1).at(0).toInt(), 42);
    QVERIFY2(module->journal()->lines().isEmpty(), "trace refreshes are the host's own and not journaled");

    tool.removeAllTraces();
    tool.refreshTraces();
    QCOMPARE(updated.count(), 3);
}

void tst_HostModel::registerReadsReachTheToolsReplySlotQueued()
{
    auto module = Fixture::makeModule(40);
    ListeningTool motor0(0, module.get());
    ListeningTool motor1(1, module.get());
    XmlValueRegister* actual = module->getIcProduct(0)->getRegisterByName(QStringLiteral("FOC_PID_POSITION_ACTUAL"),
                                                                          true);
    module->device()->setValue(1, QStringLiteral("FOC_PID_POSITION_ACTUAL"), -7);
    int value = 0;
    module->readChannelRegister(actual, 1, &value);
    QVERIFY2(motor0.replies.isEmpty(), "replies come queued, like replies from the wire");

    Fixture::deliver();
    // Every tool of the module hears every reply; the tools filter by motor.
    const QStringList expected{"100 1 150 0x41 m1 -7"};
    QCOMPARE(motor0.replies, expected);
    QCOMPARE(motor1.replies, expected);
}

void tst_HostModel::replyBufferFeedsTheFieldsOfItsRegister()
{
    auto module = Fixture::makeModule(40);
    Model::ZYRAField* a1 = module->registerController(0)->get(QStringLiteral("RAMPER_A1"), false);
    Model::ZYRAField* a2 = module->registerController(0)->get(QStringLiteral("RAMPER_A2"), false);
    QSignalSpy a1Updated(a1, &Model::ZYRAField::valueUpdated);
    QSignalSpy a2Updated(a2, &Model::ZYRAField::valueUpdated);

    Command reply(100, 1, module->registerReadChannel(), 0x0054, 0, 0x00030002);
    bool ok = false;
    module->updateRegisterInputBuffer(0, &reply, &ok);
    QVERIFY(ok);
    QCOMPARE(a1Updated.takeFirst().at(0).toInt(), 2);
    QCOMPARE(a2Updated.takeFirst().at(0).toInt(), 3);

    Command unknown(100, 1, module->registerReadChannel(), 0x0999, 0, 1);
    module->updateRegisterInputBuffer(0, &unknown, &ok);
    QVERIFY(!ok);
    module->updateRegisterInputBuffer(0, nullptr, nullptr);
}

void tst_HostModel::importFiltersPassOnlyTheirModuleAndKinds()
{
    auto module = Fixture::makeModule(105);
    auto other = Fixture::makeModule(108);
    ListeningTool tool(0, module.get());
    ListeningTool sibling(1, module.get());
    tool.addImportFilter(new ImportFilter_SameModule(&tool));
    tool.addImportFilter(new ImportFilter_SpecificExportTypes({&ExportTypes::UpdateUnits}, &tool));

    module->exportValue(&ExportTypes::UpdateUnits, 1);
    module->exportValue(&ExportTypes::CommutationMode, 0);
    other->exportValue(&ExportTypes::UpdateUnits, 0);
    QVERIFY(tool.offerImport(&ExportTypes::UpdateUnits, 0, &sibling));
    QVERIFY(!tool.offerImport(&ExportTypes::UpdateUnits, 1, nullptr));

    QCOMPARE(tool.imports, QStringList({"Units=1", "Units=0"}));
    QCOMPARE(sibling.imports, QStringList({"Units=1", "CommMode=0"}));
}

void tst_HostModel::refusedParameterValueReportsTheValueKept()
{
    auto module = Fixture::makeModule(139);
    Model::ZYRAParameter* target = module->parameterController(0)->targetPosition;
    QSignalSpy failed(target, &Model::AbstractParameter::setValueFailed);

    target->writeValue(500);
    target->writeValue(501);
    target->writeValue(-501);
    target->writeValue(-2147483647);

    QCOMPARE(failed.count(), 3);
    QCOMPARE(failed.at(0).at(0).toLongLong(), 500);
    QCOMPARE(failed.at(1).at(0).toLongLong(), -500);
    QCOMPARE(failed.at(2).at(0).toLongLong(), -2147483646);
    QCOMPARE(target->lastKnownValue(), -2147483646);
}

void tst_HostModel::modelObjectsVanishWithTheirModule()
{
    auto module = Fixture::makeModule(135);
    ListeningTool tool(0, module.get());
    QPointer<Model::ZYRAField> field = tool.registerController()->get(QStringLiteral("RAMPER_V1"), false);
    QPointer<XmlValueRegister> reg = module->getIcProduct(0)->getRegisterByName(QStringLiteral("RAMPER_V1"), true);
    XmlRegisterWidget editor(field.data(), nullptr);
    QVERIFY(field && reg);

    module.reset();
    QVERIFY(!field);
    QVERIFY(!reg);
    QVERIFY(!tool.module());
    QVERIFY(!tool.registerController());
    QVERIFY(!editor.ZYRAField());
    tool.doMoveToPosition(1);
    tool.refreshTraces();
    editor.setAndUpdateValue(5);
}

void tst_HostModel::registerEditorReportsOnlyConfirmedEdits()
{
    auto module = Fixture::makeModule(135);
    Model::ZYRAField* v1 = module->registerController(0)->get(QStringLiteral("RAMPER_V1"), false);
    XmlRegisterWidget editor(v1, nullptr);
    auto* spinBox = qobject_cast<QSpinBox*>(editor.widget());
    QVERIFY(spinBox);
    QCOMPARE(spinBox->objectName(), QStringLiteral("RAMPER_V1"));
    QCOMPARE(spinBox->value(), 1000000);
    QSignalSpy edits(&editor, &XmlRegisterWidget::valueChanged);

    editor.setAndUpdateValue(1234);
    QCOMPARE(spinBox->value(), 1234);
    spinBox->selectAll();
    QTest::keyClicks(spinBox, QStringLiteral("4321"));
    QCOMPARE(edits.count(), 0);
    QTest::keyClick(spinBox, Qt::Key_Enter);
    QTest::keyClick(spinBox, Qt::Key_Enter);
    QCOMPARE(edits.count(), 1);
    QCOMPARE(edits.at(0).at(0).toInt(), 4321);
    QCOMPARE(module->journal()->lines(), QStringList({"m0 write field RAMPER_V1 4321"}));

    module->device()->setValue(0, QStringLiteral("RAMPER_V1"), 99);
    module->poll(0, QStringLiteral("RAMPER_V1"));
    QCOMPARE(spinBox->value(), 99);
    QCOMPARE(edits.count(), 1);
}

void tst_HostModel::parameterEditorsWriteWhatTheUserConfirms()
{
    auto module = Fixture::makeModule(139);
    Model::ParameterController* controller = module->parameterController(0);
    XmlParameterWidget velocity(controller->maxVelocity, nullptr);
    XmlParameterWidget feedForward(controller->velocityFeedForwardEnable, XmlParameterWidget::DisplayCheckBox, nullptr);
    XmlParameterWidget nothing(nullptr, nullptr);
    QVERIFY(!nothing.widget());

    auto* spinBox = qobject_cast<QSpinBox*>(velocity.widget());
    auto* checkBox = qobject_cast<QCheckBox*>(feedForward.widget());
    QVERIFY(spinBox && checkBox);
    QCOMPARE(spinBox->objectName(), QStringLiteral("maxVelocity"));
    QCOMPARE(spinBox->maximum(), 8388096);
    spinBox->selectAll();
    QTest::keyClicks(spinBox, QStringLiteral("3000"));
    QTest::keyClick(spinBox, Qt::Key_Enter);
    checkBox->click();

    QCOMPARE(module->journal()->lines(),
             QStringList({"m0 write parameter maxVelocity 3000", "m0 write parameter velocityFeedForwardEnable 1"}));
    controller->velocityFeedForwardEnable->writeValue(0);
    QVERIFY(!checkBox->isChecked());
}

void tst_HostModel::spinBoxSetUpRefusesWhatItCannotShow()
{
    const auto parameter = [](qint64 minimum, qint64 maximum) {
        XmlParameterInterface::Description description;
        description.role = QStringLiteral("targetPosition");
        description.minimum = minimum;
        description.maximum = maximum;
        description.description = QStringLiteral("Target");
        return std::make_unique<XmlParameterInterface>(description);
    };
    QSpinBox spinBox;
    XmlParameterWidget::initializeSpinbox(&spinBox, parameter(-10, 10).get());
    QCOMPARE(spinBox.minimum(), -10);
    QCOMPARE(spinBox.toolTip(), QStringLiteral("Target"));
    QVERIFY_EXCEPTION_THROWN(XmlParameterWidget::initializeSpinbox(&spinBox, parameter(5, 4).get()), std::exception);
    QVERIFY_EXCEPTION_THROWN(XmlParameterWidget::initializeSpinbox(&spinBox, parameter(1ll << 40, 1ll << 41).get()),
                             std::exception);
    QVERIFY_EXCEPTION_THROWN(XmlParameterWidget::initializeSpinbox(nullptr, parameter(0, 1).get()), std::exception);
}

void tst_HostModel::aNameMeansItsRegisterThenFieldThenParameter_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found"); // what is found, in order: register, field, parameter
    QTest::addColumn<QString>("first"); // what the name means, and the range the device takes for it
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<qint64>("maximum");
    const qint64 none = std::numeric_limits<qint64>::min(), all = std::numeric_limits<qint64>::max();
    QTest::newRow("register and field of one name") << 40 << QString("RAMPER_V1") << QString("register field")
                                                    << QString("register") << -0x80000000LL << 0xFFFFFFFFLL;
    QTest::newRow("field only") << 40 << QString("RAMPER_A_MAX") << QString("field") << QString("field") << qint64(0)
                                << qint64(65535);
    QTest::newRow("parameter") << 105 << QString("maxVelocity") << QString("parameter") << QString("parameter")
                               << qint64(0) << qint64(200000);
    QTest::newRow("nothing") << 105 << QString("RAMPER_V1") << QString() << QString() << none << all;
}

void tst_HostModel::aNameMeansItsRegisterThenFieldThenParameter()
{
    QFETCH(int, variant);
    QFETCH(QString, name);
    QFETCH(QString, found);
    QFETCH(QString, first);
    QFETCH(qint64, minimum);
    QFETCH(qint64, maximum);
    auto module = Fixture::makeModule(variant);
    const ProductDescription::Named named = module->product()->named(name);
    QStringList kinds;
    if (named.reg)
        kinds << QStringLiteral("register");
    if (named.field)
        kinds << QStringLiteral("field");
    if (named.parameter)
        kinds << QStringLiteral("parameter");
    QCOMPARE(kinds.join(QLatin1Char(' ')), found);
    const QObject* meant = named.first();
    const char* kind = qobject_cast<const XmlValueRegister*>(meant)        ? "register"
                       : qobject_cast<const XmlValueRegisterField*>(meant) ? "field"
                       : meant                                             ? "parameter"
                                                                           : "";
    QCOMPARE(QLatin1String(kind), first);
    // The host's own poll of the name reads what the name means; the device takes its range.
    QCOMPARE(module->poll(0, name), !first.isEmpty());
    const SimulatedDevice::Range range = module->device()->range(name);
    QCOMPARE(range.kind, first);
    QCOMPARE(range.minimum, minimum);
    QCOMPARE(range.maximum, maximum);
}

QTEST_MAIN(tst_HostModel)
#include "tst_hostmodel.moc"
