// SPDX-License-Identifier: MIT
#include "positionmode_zell.h"

#include "common/rampgraph.h"
#include "common/rampregistertable.h"
#include "common/toolconstants.h"
#include "core/command.h"
#include "core/zyramoduleinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "ui_positionmode_zell.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QDebug>
#include <QSignalBlocker>

namespace {
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
} // namespace

PositionMode_Zell::PositionMode_Zell(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant,
                                     XmlProductIC* ic)
    : GenericPositionMode(std::move(name), motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_Zell>())
{
    ui->setupUi(this);
    setToolsName(QLatin1String(ToolConstants::kToolName));
    LastTarget::fillRelativeTo(ui->cmbRelativeTo);
    lookUpRegisters(ic);
    setupRegistersTable();
    setupRampGraph();
    connectControls();
    // The form creates the collapse button checked: start with the ramp panel closed.
    handleToggledHideButton(true);
}

PositionMode_Zell::~PositionMode_Zell() = default;

void PositionMode_Zell::lookUpRegisters(XmlProductIC* ic)
{
    if (!ic)
        return;
    m_targetRegister = ic->getRegisterByName(QLatin1String(kTargetRegisterName), true);
    m_actualPositionRegister = ic->getRegisterByName(QLatin1String(kActualPositionRegisterName), true);
    m_motionConfigRegister = ic->getRegisterByName(QLatin1String(kMotionConfigRegisterName), true);
    m_pidConfigRegister = ic->getRegisterByName(QLatin1String(kPidConfigRegisterName), true);
}

void PositionMode_Zell::setupRegistersTable()
{
    ZYRAModuleInterface* zyraModule = module();
    XmlProductIC* ic = zyraModule ? zyraModule->getIcProduct(0) : nullptr;
    m_table = std::make_unique<RampRegisterTable>(
        ui->registersWidget, this, [this, ic](const RampRegisterTable::RowInfo& row) -> XmlRegisterWidget* {
            XmlValueRegisterField* field = ic ? ic->getRegisterFieldByName(QLatin1String(row.zellField), true) : nullptr;
            return field ? new XmlRegisterWidget(field, this) : nullptr;
        });
    for (const QPointer<XmlRegisterWidget>& widget : m_table->editors())
        connect(widget, &XmlRegisterWidget::valueChanged, this, &PositionMode_Zell::handleChangedRegisterValue);
}

void PositionMode_Zell::setupRampGraph()
{
    const auto hover = [this](HelperTargetArea* area, bool entry) { handleXmlWidgetHover(area, entry); };
    m_rampGraph = std::make_unique<RampGraph>(ui->graphicsView, *m_table, this, hover);
}

void PositionMode_Zell::connectControls()
{
    connect(ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Zell::btnMoveAbsoluteClicked);
    connect(ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Zell::btnMoveRelativeClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PositionMode_Zell::btnStopClicked);
    connect(ui->btnClear, &QPushButton::clicked, this, &PositionMode_Zell::btnClearClicked);
    connect(ui->pbReload, &QPushButton::clicked, this, &PositionMode_Zell::pbReloadClicked);
    connect(ui->pbDefaults, &QPushButton::clicked, this, &PositionMode_Zell::pbDefaultsClicked);
    connect(ui->gbRampEnable, &QGroupBox::toggled, this, &PositionMode_Zell::gbRampEnableToggled);
    connect(ui->pbOpenClose, &QPushButton::toggled, this, &PositionMode_Zell::handleToggledHideButton);
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
    const QList<QPointer<XmlRegisterWidget>> widgets = m_table->editors();
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
    m_lastTarget.moveAbsolute(ui->sbTargetPosition->value());
}

void PositionMode_Zell::btnMoveRelativeClicked()
{
    m_lastTarget.moveRelative(ui->sbTargetPosition->value(), ui->cmbRelativeTo);
}

void PositionMode_Zell::btnStopClicked()
{
    m_lastTarget.stop();
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
    for (int row = 0; row < RampRegisterTable::RowCount; ++row) {
        const XmlRegisterWidget* widget = m_table->editor(RampRegisterTable::Row(row));
        XmlValueRegisterField* field = widget ? widget->registerField() : nullptr;
        ZYRAModuleInterface* zyraModule = module();
        if (field && zyraModule)
            zyraModule->writeChannelField(field, motorNumber(), RampRegisterTable::Rows[size_t(row)].defaultValue);
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
    if (!value)
        m_table->layOutRows();
    ui->gbRampEnable->setVisible(!value);
    updateGeometry();
}

std::optional<qint32> PositionMode_Zell::readActualPosition()
{
    if (!m_actualPositionRegister || !module())
        return std::nullopt;
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
    const QList<QPointer<XmlRegisterWidget>> widgets = m_table->editors();
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
