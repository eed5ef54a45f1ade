// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "model/parametercontroller.h"
#include "model/registercontroller.h"
#include "model/xmlproductic.h"
#include "model/xmlproductmodule.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "model/zyrafield.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTest>

namespace {
// A host object a tool may hold, and the journal names that die with it.
struct HostObject
{
    QString what;
    QPointer<QObject> object;
    QStringList deadNames;
};

QList<HostObject> hostObjectsOf(SimulatedModule* module)
{
    QList<HostObject> objects;
    const QList<Model::ZYRAField*> modelFields = module->registerController(0)->fields();
    for (Model::ZYRAField* field : modelFields)
        objects.append({"model field " + field->xmlParameter()->name(), field, {}});
    if (XmlProductIC* ic = module->getIcProduct(0)) {
        QStringList everything;
        const QList<XmlValueRegister*> registers = ic->registers();
        for (XmlValueRegister* reg : registers) {
            QStringList names{reg->name()};
            const QList<XmlValueRegisterField*> fields = reg->fields();
            for (XmlValueRegisterField* field : fields)
                names.append(field->name());
            objects.append({"register " + reg->name(), reg, names});
            everything += names;
        }
        const QList<XmlValueRegisterField*> fields = ic->fields();
        for (XmlValueRegisterField* field : fields)
            objects.append({"field " + field->name(), field, {field->name()}});
        objects.append({"the IC", ic, everything});
    }
    if (XmlProductModule* productModule = module->getProductModule())
        objects.append({"the product module", productModule, {}});
    const QList<Model::ZYRAParameter*> parameters = module->parameterController(0)->parameters();
    for (Model::ZYRAParameter* parameter : parameters)
        objects.append({"parameter " + parameter->role(), parameter, {parameter->role()}});
    return objects;
}

// A read reply for every register address the product has, and one answer to a write.
void deliverReplies(ToolsInterface* tool, const QList<int>& addresses)
{
    for (int address : addresses)
        Fixture::reply(tool, ZYRAModuleInterface::RegisterReadCommand, address, 0, 0x5A5A5A5A);
    Fixture::reply(tool, 5, 0, 0, -1);
}

QList<int> registerAddresses(SimulatedModule* module)
{
    QList<int> addresses;
    if (XmlProductIC* ic = module->getIcProduct(0)) {
        const QList<XmlValueRegister*> registers = ic->registers();
        for (XmlValueRegister* reg : registers)
            addresses.append(reg->address());
    }
    return addresses;
}

} // namespace

class tst_Faults : public QObject
{
    Q_OBJECT

private slots:
    // The tools' debug lines would bury a failure under thousands of others.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void hostObjectsDeletedUnderALiveToolAreNeverTouched_data() { Fixture::addVariantRows(); }
    void hostObjectsDeletedUnderALiveToolAreNeverTouched();
};

void tst_Faults::hostObjectsDeletedUnderALiveToolAreNeverTouched()
{
    QFETCH(int, variant);
    const int count = [variant] {
        Fixture probe(variant);
        return int(hostObjectsOf(probe.module()).size());
    }();
    QVERIFY(count > 0);
    // One round per host object, then one round without the whole module.
    for (int index = 0; index <= count; ++index) {
        Fixture fixture(variant);
        ToolsInterface* tool = fixture.open();
        const QList<int> addresses = registerAddresses(fixture.module());
        QString what = QStringLiteral("the module");
        QStringList deadNames;
        if (index < count) {
            const HostObject victim = hostObjectsOf(fixture.module()).at(index);
            what = victim.what;
            deadNames = victim.deadNames;
            delete victim.object.data();
        } else {
            fixture.destroyModule();
        }
        fixture.dropJournal();
        fixture.pressEverything();
        deliverReplies(tool, addresses);
        fixture.pressEverything();

        const QStringList journal = fixture.journal();
        QVERIFY2(fixture.module() || journal.isEmpty(), qPrintable(journal.join('\n')));
        for (const QString& line : journal) {
            const bool touchesDead = deadNames.contains(line.section(QLatin1Char(' '), 3, 3));
            QVERIFY2(!touchesDead, qPrintable(QStringLiteral("without %1: %2").arg(what, line)));
        }
    }
}

QTEST_MAIN(tst_Faults)
#include "tst_faults.moc"
