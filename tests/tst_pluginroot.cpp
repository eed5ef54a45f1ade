// SPDX-License-Identifier: MIT
#include "fixture.h"
#include "genericpositionmode.h"

#include <QJsonObject>
#include <QPluginLoader>
#include <QSignalSpy>
#include <QTest>

namespace {
// Records the host's sub-widget calls a tool receives.
class RecordingTool : public GenericPositionMode
{
public:
    using GenericPositionMode::GenericPositionMode;
    QList<QPair<QString, int>> calls;

    void updateSubWidgetValues(int id) override { calls.append({QStringLiteral("update"), id}); }
    void registerSubWidgetTraces(int id) override { calls.append({QStringLiteral("register"), id}); }
    void unRegisterSubWidgetTraces(int id) override { calls.append({QStringLiteral("unregister"), id}); }
};

QStringList infoLines(const PluginInterface& plugin)
{
    QStringList lines;
    const auto info = plugin.info();
    for (const auto& entry : info)
        lines.append(entry.first + QLatin1Char('=') + entry.second.toString());
    return lines;
}
} // namespace

class tst_PluginRoot : public QObject
{
    Q_OBJECT

private slots:
    void pluginFileDeclaresItselfAndKeepsOneRootWhileItLives();
    void rootServesTheSixVariantsInOrder();
    void variantCheckAddsInfoAndDecidesWhatCloneCreates_data();
    void variantCheckAddsInfoAndDecidesWhatCloneCreates();
    void replyFilterPassesOnlyOkRepliesOfTheOwnModule_data();
    void replyFilterPassesOnlyOkRepliesOfTheOwnModule();
};

void tst_PluginRoot::pluginFileDeclaresItselfAndKeepsOneRootWhileItLives()
{
    QPluginLoader loader(QStringLiteral(POSITIONMODE_PLUGIN_FILE));
    const QJsonObject meta = loader.metaData();
    QCOMPARE(meta.value(QStringLiteral("IID")).toString(), QStringLiteral("com.kessa.ToolsInterface/2.0"));
    QCOMPARE(meta.value(QStringLiteral("className")).toString(), QStringLiteral("GenericPositionMode"));
    QCOMPARE(meta.value(QStringLiteral("MetaData")).toObject(),
             QJsonObject({{QStringLiteral("name"), QStringLiteral("Tools")}}));

    QObject* instance = loader.instance();
    QVERIFY2(instance, qPrintable(loader.errorString()));
    QCOMPARE(instance->metaObject()->className(), "GenericPositionMode");
    auto* tools = qobject_cast<ToolsInterface*>(instance);
    QVERIFY2(tools, "the root must answer the interface id with its ToolsInterface");
    QCOMPARE(tools->name(), QStringLiteral("undefined"));
    QCOMPARE(tools->title(), QStringLiteral("Generic position mode"));
    QCOMPARE(tools->iconPath(), QStringLiteral(":/Icons/control"));
    QCOMPARE(tools->toolsType(), ToolsType::GenericPositionMode);
    QCOMPARE(loader.instance(), instance);

    delete instance;
    QObject* second = loader.instance();
    QVERIFY2(second, "a destroyed root is made again on the next request");
    delete second;
}

void tst_PluginRoot::rootServesTheSixVariantsInOrder()
{
    GenericPositionMode root;
    QCOMPARE(root.compatibleVariants(), QList<int>({105, 108, 100, 135, 139, 40}));
    // Before any variant check the root serves none: a clone is a tool of no variant.
    const std::unique_ptr<ToolsInterface> plain(root.clone(QStringLiteral("tool"), 0, nullptr));
    QCOMPARE(plain->toolsVariant(), 255);
    QCOMPARE(root.version(), QStringLiteral("4.6.0 - tools_generic_position_mode;Plugin-Interface.4.6.0."
                                            "tools_generic_position_mode;Plugin ;Plugin.Interface."));
    QCOMPARE(root.module(), nullptr);
    QCOMPARE(int(root.motorNumber()), 0);
}

void tst_PluginRoot::variantCheckAddsInfoAndDecidesWhatCloneCreates_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("designation");
    QTest::addColumn<int>("toolVariant");

    QTest::newRow("Zell") << 40 << true << "Zell" << 40;
    QTest::newRow("Orsax") << 100 << true << "Orsax" << 100;
    QTest::newRow("rotary") << 105 << true << "AP" << 105;
    QTest::newRow("linear") << 108 << true << "AP" << 108;
    QTest::newRow("Veltrax") << 135 << true << "Veltra" << 135;
    QTest::newRow("Veltrax AP") << 139 << true << "Veltra_AP" << 139;
    QTest::newRow("unknown 255") << 255 << false << "" << 255;
    QTest::newRow("unknown 0") << 0 << false << "" << 255;
    QTest::newRow("unknown 41") << 41 << false << "" << 255;
}

void tst_PluginRoot::variantCheckAddsInfoAndDecidesWhatCloneCreates()
{
    QFETCH(int, variant);
    QFETCH(bool, usable);
    QFETCH(QString, designation);
    QFETCH(int, toolVariant);

    GenericPositionMode root;
    QCOMPARE(root.isUsableForVariant(variant), usable);
    const QStringList expectedInfo = usable ? QStringList{"Designation=" + designation, "UpToDate=9"} : QStringList();
    QCOMPARE(infoLines(root), expectedInfo);
    if (usable)
        QCOMPARE(root.info().at(1).second.type(), QVariant::Int);

    std::unique_ptr<ToolsInterface> tool(root.clone(QStringLiteral("tool"), 1, nullptr));
    QVERIFY(tool);
    QCOMPARE(tool->toolsVariant(), toolVariant);
    QCOMPARE(int(tool->motorNumber()), 1);
    QCOMPARE(tool->toolsType(), ToolsType::GenericPositionMode);
    QCOMPARE(tool->title(), QStringLiteral("Generic position mode"));
    QCOMPARE(tool->version(), root.version());
    if (!usable)
        QCOMPARE(tool->metaObject()->className(), "GenericPositionMode");
}

void tst_PluginRoot::replyFilterPassesOnlyOkRepliesOfTheOwnModule_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("forwarded");

    // The Orsax module sits at address 2; addresses compare as 8 bits.
    QTest::newRow("own module") << 100 << 2 << true;
    QTest::newRow("own module, wider address") << 100 << 0x102 << true;
    QTest::newRow("other module") << 100 << 3 << false;
    QTest::newRow("error status") << 101 << 2 << false;
    QTest::newRow("zero status") << 0 << 2 << false;
}

void tst_PluginRoot::replyFilterPassesOnlyOkRepliesOfTheOwnModule()
{
    QFETCH(int, status);
    QFETCH(int, address);
    QFETCH(bool, forwarded);

    Fixture fixture(100);
    GenericPositionMode tool(QStringLiteral("tool"), 0, fixture.module(), 100);
    QSignalSpy spy(&tool, &GenericPositionMode::forward_IN_replyValue);
    Command reply(status, address, 150, 0x12, 0, 42);
    tool.IN_replyValue(&reply);
    QCOMPARE(spy.count(), forwarded ? 1 : 0);
    if (forwarded)
        QCOMPARE(spy.at(0).at(0).value<Command*>(), &reply);
}

QTEST_MAIN(tst_PluginRoot)
#include "tst_pluginroot.moc"
