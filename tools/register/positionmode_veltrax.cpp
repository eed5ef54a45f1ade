// SPDX-License-Identifier: MIT
#include "positionmode_veltrax.h"

#include "common/rampgraph.h"
#include "common/rampregistertable.h"
#include "common/toolconstants.h"
#include "model/registercontroller.h"
#include "model/zyrafield.h"
#include "ui_positionmode_veltrax.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QSignalBlocker>

namespace {
// The motion mode in which the position controller follows the ramper.
constexpr int kMotionModePosition = 3;
// The ramp mode that ramps to a position (not a velocity).
constexpr int kRampModePosition = 0;
} // namespace

// The fields the tool drives itself; the ramp table looks up its own.
const PositionMode_Veltrax::FieldLookup PositionMode_Veltrax::kFieldLookups[7] = {
    {"PID_POSITION_TARGET", &PositionMode_Veltrax::m_targetPosition},
    {"RAMPER_X_TARGET", &PositionMode_Veltrax::m_ramperTarget},
    {"PID_POSITION_ACTUAL", &PositionMode_Veltrax::m_actualPosition},
    {"CONFIG_MOTION_MODE", &PositionMode_Veltrax::m_motionMode},
    {"CONFIG_FEEDFORWARD", &PositionMode_Veltrax::m_feedForward},
    {"CONFIG_RAMP_ENABLE", &PositionMode_Veltrax::m_rampEnable},
    {"CONFIG_RAMP_MODE", &PositionMode_Veltrax::m_rampMode},
};

PositionMode_Veltrax::PositionMode_Veltrax(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant,
                                           XmlProductIC* ic)
    : GenericPositionMode(std::move(name), motor, module, variant)
    , m_ui(std::make_unique<Ui_PositionMode_Veltrax>())
{
    Q_UNUSED(ic);
    m_ui->setupUi(this);
    setToolsName(QLatin1String(ToolConstants::kToolName));
    LastTarget::fillRelativeTo(m_ui->cmbRelativeTo);
    lookUpFields();
    setupRegistersTable();
    setupRampGraph();
    connectControls();
    // pbOpenClose starts checked: the ramp panel starts hidden.
    handleToggledHideButton(true);
    followDevice();
}

PositionMode_Veltrax::~PositionMode_Veltrax() = default;

void PositionMode_Veltrax::lookUpFields()
{
    Model::RegisterController* registers = registerController();
    for (const FieldLookup& lookup : kFieldLookups)
        this->*lookup.field = registers ? registers->get(QLatin1String(lookup.name), false) : nullptr;
}

void PositionMode_Veltrax::setupRegistersTable()
{
    Model::RegisterController* registers = registerController();
    m_table = std::make_unique<RampRegisterTable>(
        m_ui->registersWidget, this, [this, registers](const RampRegisterTable::RowInfo& row) -> XmlRegisterWidget* {
            Model::ZYRAField* field = registers ? registers->get(QLatin1String(row.veltraxField), false) : nullptr;
            return field && field->exists() ? new XmlRegisterWidget(field, this) : nullptr;
        });
}

void PositionMode_Veltrax::setupRampGraph()
{
    const auto hover = [this](HelperTargetArea* area, bool entry) { handleXmlWidgetHover(area, entry); };
    m_rampGraph = std::make_unique<RampGraph>(m_ui->graphicsView, *m_table, this, hover);
}

void PositionMode_Veltrax::connectControls()
{
    connect(m_ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Veltrax::btnMoveAbsoluteClicked);
    connect(m_ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Veltrax::btnMoveRelativeClicked);
    connect(m_ui->btnStop, &QPushButton::clicked, this, &PositionMode_Veltrax::btnStopClicked);
    connect(m_ui->btnClear, &QPushButton::clicked, this, &PositionMode_Veltrax::btnClearClicked);
    connect(m_ui->pbReload, &QPushButton::clicked, this, &PositionMode_Veltrax::pbReloadClicked);
    connect(m_ui->pbDefaults, &QPushButton::clicked, this, &PositionMode_Veltrax::pbDefaultsClicked);
    connect(m_ui->gbRampEnable, &QGroupBox::toggled, this, &PositionMode_Veltrax::gbRampEnableToggled);
    connect(m_ui->pbOpenClose, &QPushButton::toggled, this, &PositionMode_Veltrax::handleToggledHideButton);
}

void PositionMode_Veltrax::followDevice()
{
    if (m_actualPosition) {
        connect(m_actualPosition, &Model::ZYRAField::valueChanged, this,
                [this](int value) { m_ui->sbActualPosition->setValue(value); });
    }
    if (m_rampEnable) {
        // The device's ramp state is shown without being written back.
        connect(m_rampEnable, &Model::ZYRAField::valueChanged, this, [this](int value) {
            {
                const QSignalBlocker blocker(m_ui->gbRampEnable);
                m_ui->gbRampEnable->setChecked(value != 0);
            }
            checkAvailability();
        });
    }
}

void PositionMode_Veltrax::showPlugin()
{
    if (m_actualPosition)
        addTrace(m_actualPosition->xmlParameter(), 0);
    updateRegisterWidgets();
    checkAvailability();
    updateGeometry();
}

void PositionMode_Veltrax::hidePlugin()
{
    removeAllTraces();
}

void PositionMode_Veltrax::btnMoveAbsoluteClicked()
{
    m_lastTarget.moveAbsolute(m_ui->sbTargetPosition->value());
}

void PositionMode_Veltrax::btnMoveRelativeClicked()
{
    m_lastTarget.moveRelative(m_ui->sbTargetPosition->value(), m_ui->cmbRelativeTo);
}

void PositionMode_Veltrax::btnStopClicked()
{
    m_lastTarget.stop();
}

void PositionMode_Veltrax::btnClearClicked()
{
    if (m_actualPosition)
        m_actualPosition->setValue(0);
}

void PositionMode_Veltrax::pbReloadClicked()
{
    updateRegisterWidgets();
}

void PositionMode_Veltrax::pbDefaultsClicked()
{
    for (int row = 0; row < RampRegisterTable::RowCount; ++row) {
        const XmlRegisterWidget* widget = m_table->editor(RampRegisterTable::Row(row));
        if (Model::ZYRAField* field = widget ? widget->ZYRAField() : nullptr)
            field->setValue(RampRegisterTable::Rows[size_t(row)].defaultValue);
    }
    updateRegisterWidgets();
}

void PositionMode_Veltrax::gbRampEnableToggled(bool arg1)
{
    enableRamp(arg1);
    updateRegisterWidgets();
}

void PositionMode_Veltrax::handleToggledHideButton(bool value)
{
    if (!value)
        m_table->layOutRows();
    m_ui->gbRampEnable->setVisible(!value);
    updateGeometry();
}

void PositionMode_Veltrax::handleXmlWidgetHover(HelperTargetArea* targetArea, bool entry)
{
    RampGraph::handleHover(targetArea, entry);
}

void PositionMode_Veltrax::setTargetPosition(int position)
{
    enableMotionModePosition();
    setRampToPositionMode();
    // The ramper leads, the position controller follows it.
    if (m_ramperTarget)
        m_ramperTarget->setValue(position);
    if (m_targetPosition)
        m_targetPosition->setValue(position);
    checkAvailability();
}

std::optional<qint32> PositionMode_Veltrax::readActualPosition()
{
    if (!m_actualPosition || !m_actualPosition->exists())
        return std::nullopt;
    return m_actualPosition->value(nullptr);
}

void PositionMode_Veltrax::enableMotionModePosition()
{
    if (m_motionMode)
        m_motionMode->setValue(kMotionModePosition);
}

void PositionMode_Veltrax::setRampToPositionMode()
{
    if (m_rampMode)
        m_rampMode->setValue(kRampModePosition);
}

void PositionMode_Veltrax::enableRamp(bool on)
{
    if (on) {
        // Feed-forward stays as it is; Defaults or the table set it again.
        if (m_rampEnable)
            m_rampEnable->setValue(1);
        return;
    }
    // Feed-forward without the ramp would push the unramped target jump
    // straight into the position controller.
    if (m_feedForward)
        m_feedForward->setValue(0);
    if (m_rampEnable)
        m_rampEnable->setValue(0);
}

void PositionMode_Veltrax::checkAvailability()
{
    const bool rampOn = m_ui->gbRampEnable->isChecked();
    m_ui->registersWidget->setEnabled(rampOn);
    m_ui->pbDefaults->setEnabled(rampOn);
}

void PositionMode_Veltrax::updateRegisterWidgets()
{
    // A read makes the field, and so its editor, current with the device.
    const QList<QPointer<XmlRegisterWidget>> widgets = m_table->editors();
    for (const QPointer<XmlRegisterWidget>& widget : widgets) {
        if (!widget)
            continue;
        if (Model::ZYRAField* field = widget->ZYRAField())
            field->value(nullptr);
    }
}
