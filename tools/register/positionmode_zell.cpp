#include "positionmode_zell.h"

#include "core/command.h"
#include "core/zyramoduleinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "rampgraph.h"
#include "ui_positionmode_zell.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"
#include "widgets/xmlregisterwidgetcontainer.h"

#include <QDebug>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
const char kToolsName[] = "Position mode";
const char kActualPositionText[] = "actual position";

const char kTargetRegisterName[] = "FOC_PID_POSITION_TARGET";
const char kActualPositionRegisterName[] = "FOC_PID_POSITION_ACTUAL";
const char kMotionConfigRegisterName[] = "MCC_CONFIG_MOTOR_MOTION";
const char kPidConfigRegisterName[] = "FOC_MCC_PID_CONFIG";

// Bits of the motion configuration register the tool owns; every other bit
// is written back as it was read.
constexpr quint32 kMotionModeMask = 0xF;
constexpr quint32 kMotionModePosition = 3;
constexpr quint32 kRampEnableBit = 0x10;
constexpr quint32 kRampModeBit = 0x20; // 0: the ramp works in position mode
// Switching the ramp off clears bits 28-31 of the PID configuration and keeps the rest.
constexpr quint32 kPidConfigKeptWithoutRamp = 0x0FFFFFFF;

enum RegisterRow { VStart, VStop, V1, V2, VMax, A1, A2, AMax, D1, D2, DMax, TVMax, TZeroWait, FeedForward };

struct RegisterRowInfo
{
    const char* field;
    int defaultValue;
};

// The register table, top to bottom; Defaults writes the rows in this order.
constexpr RegisterRowInfo kRegisterRows[] = {
    {"RAMPER_V_START", 0},   {"RAMPER_V_STOP", 1},  {"RAMPER_V1", 1000000}, {"RAMPER_V2", 3000000},
    {"RAMPER_V_MAX", 5000000}, {"RAMPER_A1", 16000}, {"RAMPER_A2", 6000},   {"RAMPER_A_MAX", 2000},
    {"RAMPER_D1", 16000},    {"RAMPER_D2", 6000},   {"RAMPER_D_MAX", 2000}, {"T_VMAX", 0},
    {"T_ZEROWAIT", 0},       {"FEEDFORWARD", 1},
};

struct RampElementInfo
{
    const char* id;
    RegisterRow row;
};

// Hot spots of the ramp picture in drawing order, each on the row that sets
// its value. FEEDFORWARD has no element in the picture.
constexpr RampElementInfo kRampElements[] = {
    {"Field-VSTART", VStart}, {"Field-VSTOP", VStop}, {"Field-V1", V1},     {"Field-V2", V2},
    {"Field-VMAX", VMax},     {"Field-TVMAX", TVMax}, {"Field-A1", A1},     {"Field-A2", A2},
    {"Field-AMAX", AMax},     {"Field-D1", D1},       {"Field-D2", D2},     {"Field-DMAX", DMax},
    {"Field-TZERO", TZeroWait},
};

// Positions are 32-bit two's complement and wrap around.
qint32 addWrapping(qint32 a, qint32 b)
{
    return qint32(quint32(a) + quint32(b));
}
} // namespace

PositionMode_Zell::PositionMode_Zell(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant,
                                     XmlProductIC* ic)
    : GenericPositionMode(name, motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_Zell>())
{
    static_assert(sizeof(kRegisterRows) / sizeof(kRegisterRows[0]) == kRegisterRowCount,
                  "one row widget per register row");
    ui->setupUi(this);

    m_scene = std::make_unique<QGraphicsScene>();
    ui->graphicsView->setScene(m_scene.get());

    setToolsName(QLatin1String(kToolsName));

    ui->cmbRelativeTo->addItem(QLatin1String(kActualPositionText));
    ui->cmbRelativeTo->addItem(m_targetReference);

    if (ic) {
        m_targetRegister = ic->getRegisterByName(QLatin1String(kTargetRegisterName), true);
        m_actualPositionRegister = ic->getRegisterByName(QLatin1String(kActualPositionRegisterName), true);
        m_motionConfigRegister = ic->getRegisterByName(QLatin1String(kMotionConfigRegisterName), true);
        m_pidConfigRegister = ic->getRegisterByName(QLatin1String(kPidConfigRegisterName), true);
    }

    setupRegistersTable();
    setupRampGraph();

    connect(ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Zell::btnMoveAbsoluteClicked);
    connect(ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Zell::btnMoveRelativeClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PositionMode_Zell::btnStopClicked);
    connect(ui->btnClear, &QPushButton::clicked, this, &PositionMode_Zell::btnClearClicked);
    connect(ui->pbReload, &QPushButton::clicked, this, &PositionMode_Zell::pbReloadClicked);
    connect(ui->pbDefaults, &QPushButton::clicked, this, &PositionMode_Zell::pbDefaultsClicked);
    connect(ui->gbRampEnable, &QGroupBox::toggled, this, &PositionMode_Zell::gbRampEnableToggled);
    connect(ui->pbOpenClose, &QPushButton::toggled, this, &PositionMode_Zell::handleToggledHideButton);

    // The form creates the collapse button checked: start with the ramp panel closed.
    handleToggledHideButton(true);
}

PositionMode_Zell::~PositionMode_Zell() = default;

void PositionMode_Zell::setupRegistersTable()
{
    auto* table = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);

    auto* holderLayout = new QHBoxLayout(ui->registersWidget);
    holderLayout->addWidget(table);

    auto* container = new XmlRegisterWidgetContainer(new QFormLayout, this, QString());

    ZYRAModuleInterface* zyraModule = module();
    XmlProductIC* ic = zyraModule ? zyraModule->getIcProduct(0) : nullptr;
    if (ic) {
        for (int row = 0; row < kRegisterRowCount; ++row) {
            XmlValueRegisterField* field =
                ic->getRegisterFieldByName(QLatin1String(kRegisterRows[row].field), true);
            if (!field)
                continue;
            auto* widget = new XmlRegisterWidget(field, this);
            container->addXmlWidget(widget);
            m_registerWidgets.append(widget);
            m_rowWidgets[row] = widget;
        }
    }

    if (QWidget* rows = container->widget()) {
        if (rows->layout())
            rows->layout()->setContentsMargins(0, 0, 0, 0);
        tableLayout->addWidget(rows);
    }

    for (const QPointer<XmlRegisterWidget>& widget : qAsConst(m_registerWidgets)) {
        if (widget)
            connect(widget, &XmlRegisterWidget::valueChanged, this, &PositionMode_Zell::handleChangedRegisterValue);
    }
}

void PositionMode_Zell::setupRampGraph()
{
    QList<RampGraph::Element> elements;
    for (const RampElementInfo& element : kRampElements)
        elements.append({element.id, m_rowWidgets[element.row]});
    RampGraph::build(m_scene.get(), elements, this,
                     [this](HelperTargetArea* targetArea, bool entry) { handleXmlWidgetHover(targetArea, entry); });
}

QRectF PositionMode_Zell::mapRectToScene(QRectF viewBox, QRectF itemRect, QRectF bounds)
{
    return RampGraph::mapRectToScene(viewBox, itemRect, bounds);
}

void PositionMode_Zell::handleXmlWidgetHover(HelperTargetArea* targetArea, bool entry)
{
    RampGraph::handleHover(targetArea, entry);
}

void PositionMode_Zell::showPlugin()
{
    if (m_actualPositionRegister)
        addTrace(m_actualPositionRegister, 0);
    updateRegisterWidgets();
    checkAvailability();
    updateGeometry();
}

void PositionMode_Zell::hidePlugin()
{
    removeAllTraces();
}

void PositionMode_Zell::IN_replyValue(Command* reply)
{
    const quint8 motor = motorNumber();
    if (!reply || quint8(reply->motorBank()) != motor)
        return;
    const quint16 type = quint16(reply->type());
    const int value = reply->value();

    ZYRAModuleInterface* zyraModule = module();
    if (zyraModule && quint8(reply->command()) == quint8(zyraModule->registerReadChannel())) {
        zyraModule->updateRegisterInputBuffer(motor, reply, nullptr);
        if (m_actualPositionRegister && type == m_actualPositionRegister->address())
            ui->sbActualPosition->setValue(value);
        if (m_motionConfigRegister && type == m_motionConfigRegister->address()) {
            // Mirrors the device's ramp switch without writing it back.
            const QSignalBlocker blocker(ui->gbRampEnable);
            ui->gbRampEnable->setChecked((quint32(value) & kRampEnableBit) != 0);
        }
        checkAvailability();
    }

    // Any reply of this motor carries the whole register: every row laid into
    // it shows its part.
    const QList<QPointer<XmlRegisterWidget>> widgets = m_registerWidgets;
    for (const QPointer<XmlRegisterWidget>& widget : widgets) {
        XmlValueRegisterField* field = widget ? widget->registerField() : nullptr;
        const XmlValueRegister* reg = field ? field->getRegister() : nullptr;
        if (reg && reg->address() == type)
            widget->setAndUpdateValue(static_cast<unsigned long long>(field->getFieldValue(qint64(value))));
    }
}

void PositionMode_Zell::handleChangedRegisterValue(int value)
{
    auto* widget = qobject_cast<XmlRegisterWidget*>(sender());
    if (!widget)
        return;
    XmlValueRegisterField* field = widget->registerField();
    ZYRAModuleInterface* zyraModule = module();
    if (field && zyraModule)
        zyraModule->writeAndReadChannelField(field, motorNumber(), value, nullptr);
}

void PositionMode_Zell::btnMoveAbsoluteClicked()
{
    m_lastTarget = ui->sbTargetPosition->value();
    setTargetPosition(m_lastTarget);
}

void PositionMode_Zell::btnMoveRelativeClicked()
{
    const qint32 step = ui->sbTargetPosition->value();
    // The last target follows every relative step, whichever base is chosen.
    m_lastTarget = addWrapping(m_lastTarget, step);
    if (ui->cmbRelativeTo->currentText().startsWith(m_targetReference, Qt::CaseSensitive))
        setTargetPosition(m_lastTarget);
    else
        setTargetPosition(addWrapping(getActualPosition(), step));
}

void PositionMode_Zell::btnStopClicked()
{
    // Stop is a move to where the motor is now.
    setTargetPosition(getActualPosition());
}

void PositionMode_Zell::btnClearClicked()
{
    writeRegister(m_actualPositionRegister, 0);
}

void PositionMode_Zell::pbReloadClicked()
{
    updateRegisterWidgets();
}

void PositionMode_Zell::pbDefaultsClicked()
{
    for (int row = 0; row < kRegisterRowCount; ++row) {
        const QPointer<XmlRegisterWidget>& widget = m_rowWidgets[row];
        XmlValueRegisterField* field = widget ? widget->registerField() : nullptr;
        ZYRAModuleInterface* zyraModule = module();
        if (field && zyraModule)
            zyraModule->writeChannelField(field, motorNumber(), kRegisterRows[row].defaultValue);
    }
    updateRegisterWidgets();
}

void PositionMode_Zell::gbRampEnableToggled(bool arg1)
{
    enableRamp(arg1);
    updateRegisterWidgets();
}

void PositionMode_Zell::handleToggledHideButton(bool value)
{
    ui->gbRampEnable->setVisible(!value);
    updateGeometry();
}

int PositionMode_Zell::getActualPosition()
{
    return readRegister(m_actualPositionRegister);
}

void PositionMode_Zell::enableMotionModePosition()
{
    const quint32 config = quint32(readRegister(m_motionConfigRegister));
    writeRegister(m_motionConfigRegister, int((config & ~kMotionModeMask) | kMotionModePosition));
}

void PositionMode_Zell::setRampToPositionMode()
{
    const quint32 config = quint32(readRegister(m_motionConfigRegister));
    writeRegister(m_motionConfigRegister, int(config & ~kRampModeBit));
    readRegister(m_motionConfigRegister);
}

void PositionMode_Zell::enableRamp(bool on)
{
    quint32 config = quint32(readRegister(m_motionConfigRegister)) & ~kRampEnableBit;
    if (on) {
        config |= kRampEnableBit;
    } else {
        // Without the ramp the PID has nothing to take its feed-forward from:
        // clear that source (bits 28-31) before the ramp goes off.
        const quint32 pidConfig = quint32(readRegister(m_pidConfigRegister));
        writeRegister(m_pidConfigRegister, int(pidConfig & kPidConfigKeptWithoutRamp));
        readRegister(m_pidConfigRegister);
    }
    writeRegister(m_motionConfigRegister, int(config));
    readRegister(m_motionConfigRegister);
}

void PositionMode_Zell::setTargetPosition(int target)
{
    enableMotionModePosition();
    setRampToPositionMode();
    writeRegister(m_targetRegister, target);
    checkAvailability();
}

void PositionMode_Zell::checkAvailability()
{
    const bool rampOn = ui->gbRampEnable->isChecked();
    ui->registersWidget->setEnabled(rampOn);
    ui->pbDefaults->setEnabled(rampOn);
}

void PositionMode_Zell::updateRegisterWidgets()
{
    const quint8 motor = motorNumber();
    const QList<QPointer<XmlRegisterWidget>> widgets = m_registerWidgets;
    for (const QPointer<XmlRegisterWidget>& widget : widgets) {
        XmlValueRegisterField* field = widget ? widget->registerField() : nullptr;
        const XmlValueRegister* reg = field ? field->getRegister() : nullptr;
        ZYRAModuleInterface* zyraModule = module();
        if (!reg || !zyraModule)
            continue;
        const quint16 address = reg->address();
        int value = 0;
        zyraModule->readChannelRegister(address, motor, &value);
        qDebug() << "Requested value: " << int(motor) << ", " << uint(address) << ": " << value;
        // The read lets the host act; show the row only if it is still there.
        field = widget ? widget->registerField() : nullptr;
        if (field)
            widget->setAndUpdateValue(static_cast<unsigned long long>(field->getFieldValue(qint64(value))));
    }
}

int PositionMode_Zell::readRegister(XmlValueRegister* reg)
{
    int value = 0;
    ZYRAModuleInterface* zyraModule = module();
    if (reg && zyraModule)
        zyraModule->readChannelRegister(reg, motorNumber(), &value);
    return value;
}

void PositionMode_Zell::writeRegister(XmlValueRegister* reg, int value)
{
    ZYRAModuleInterface* zyraModule = module();
    if (reg && zyraModule)
        zyraModule->writeChannelRegister(reg, motorNumber(), value);
}
