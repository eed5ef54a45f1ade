#include "fixture.h"

#include "core/command.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"

#include <QGroupBox>
#include <QHash>
#include <QLoggingCategory>
#include <QSpinBox>
#include <QTest>

#include <random>

namespace {
constexpr int kReplies = 100000;
constexpr int kRead = ZYRAModuleInterface::RegisterReadCommand;

// What a user sees of the tool: every spin box's value and every checkable
// group's switch, by object name.
QHash<QString, qint64> visibleState(const ToolsInterface* tool)
{
    QHash<QString, qint64> state;
    const auto spinBoxes = tool->findChildren<QSpinBox*>();
    for (const QSpinBox* spinBox : spinBoxes)
        state.insert(spinBox->objectName(), spinBox->value());
    const auto groups = tool->findChildren<QGroupBox*>();
    for (const QGroupBox* group : groups) {
        if (group->isCheckable())
            state.insert(group->objectName(), group->isChecked());
    }
    return state;
}

// Hands a reply over as the host does: to the tool's slot of that signature, if it has one.
void deliver(ToolsInterface* tool, Command* reply)
{
    const int slot = tool->metaObject()->indexOfSlot("IN_replyValue(Command*)");
    if (slot >= 0)
        tool->metaObject()->method(slot).invoke(tool, Qt::DirectConnection, Q_ARG(Command*, reply));
}

// Random replies, biased towards what the tool looks at so that every branch
// is taken often: its own motor, the register-read command and the
// product's register addresses (with random upper bits).
class ReplySource
{
public:
    ReplySource(quint32 seed, QList<int> addresses) : m_random(seed), m_addresses(std::move(addresses)) {}

    Command next()
    {
        const auto pick = [this](int percent) { return int(m_random() % 100) < percent; };
        const int status = pick(80) ? Command::StatusOk : any();
        const int command = pick(60) ? kRead : int(m_random() % 256);
        const quint8 motor = pick(60) ? 0 : quint8(m_random());
        int type = any();
        if (!m_addresses.isEmpty() && pick(70))
            type = int((quint32(type) & 0xFFFF0000u) | quint32(m_addresses.at(int(m_random() % m_addresses.size()))));
        return Command(status, any(), command, type, motor, any());
    }

private:
    int any() { return int(m_random()); }

    std::mt19937 m_random;
    QList<int> m_addresses;
};

struct Layout
{
    QList<int> addresses;
    QHash<QString, int> addressOfField;
};

Layout layoutOf(SimulatedModule* module)
{
    Layout layout;
    XmlProductIC* ic = module->getIcProduct(0);
    const QList<XmlValueRegister*> registers = ic ? ic->registers() : QList<XmlValueRegister*>();
    for (XmlValueRegister* reg : registers) {
        layout.addresses.append(reg->address());
        const QList<XmlValueRegisterField*> fields = reg->fields();
        for (XmlValueRegisterField* field : fields)
            layout.addressOfField.insert(field->name(), reg->address());
    }
    return layout;
}
} // namespace

class tst_Replies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }
    void randomRepliesChangeOnlyWhatTheToolShowsOfThem_data();
    void randomRepliesChangeOnlyWhatTheToolShowsOfThem();
};

void tst_Replies::randomRepliesChangeOnlyWhatTheToolShowsOfThem_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("Zell") << 40;
    QTest::newRow("Orsax") << 100;
    QTest::newRow("Veltrax") << 135;
}

void tst_Replies::randomRepliesChangeOnlyWhatTheToolShowsOfThem()
{
    QFETCH(int, variant);
    const quint32 seed = qEnvironmentVariableIsSet("POSITIONMODE_SEED")
                             ? quint32(qEnvironmentVariableIntValue("POSITIONMODE_SEED"))
                             : 20261206u;
    Fixture fixture(variant);
    ToolsInterface* tool = fixture.open();
    fixture.show();
    fixture.dropJournal();

    const Layout layout = layoutOf(fixture.module());
    const quint16 actualAddress = quint16(layout.addressOfField.value(QStringLiteral("PID_POSITION_ACTUAL"), -1));
    const quint16 motionAddress = quint16(layout.addressOfField.value(QStringLiteral("RAMP_ENABLE"), -1));
    const bool handlesReplies = variant == 40; // the other register tools take no replies
    ReplySource source(seed, layout.addresses);
    QHash<QString, qint64> before = visibleState(tool);

    for (int index = 0; index < kReplies; ++index) {
        Command reply = source.next();
        deliver(tool, &reply);
        const QHash<QString, qint64> after = visibleState(tool);
        const auto where = [&](const QString& what) {
            return QStringLiteral("seed %1, reply %2 (status %3 command %4 type %5 motor %6 value %7): %8")
                .arg(seed).arg(index).arg(reply.status()).arg(reply.command()).arg(reply.type())
                .arg(reply.motorBank()).arg(reply.value()).arg(what)
                .toLocal8Bit();
        };

        const bool ours = handlesReplies && reply.motorBank() == 0;
        const bool read = ours && quint8(reply.command()) == kRead;
        const quint16 address = quint16(reply.type());
        for (auto item = after.cbegin(); item != after.cend(); ++item) {
            const QString& name = item.key();
            const bool mayChange = (ours && layout.addressOfField.value(name, -1) == address)
                                   || (read && address == actualAddress && name == QLatin1String("sbActualPosition"))
                                   || (read && address == motionAddress && name == QLatin1String("gbRampEnable"));
            if (!mayChange && item.value() != before.value(name))
                QFAIL(where(name + " changed").constData());
        }
        if (read && address == actualAddress && after.value(QStringLiteral("sbActualPosition")) != reply.value())
            QFAIL(where(QStringLiteral("actual position not shown")).constData());
        if (read && address == motionAddress
            && after.value(QStringLiteral("gbRampEnable")) != ((reply.value() & 0x10) != 0))
            QFAIL(where(QStringLiteral("ramp switch not mirrored")).constData());
        if (index % 1000 == 999 && !fixture.journal().isEmpty())
            QFAIL(where(QStringLiteral("the device was accessed")).constData());
        before = after;
    }
    QVERIFY(fixture.journal().isEmpty());
}

QTEST_MAIN(tst_Replies)
#include "tst_replies.moc"
