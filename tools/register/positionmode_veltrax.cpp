#include "positionmode_veltrax.h"

#include "model/registercontroller.h"
#include "model/zyrafield.h"
#include "rampgraph.h"
#include "ui_positionmode_veltrax.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"
#include "widgets/xmlregisterwidgetcontainer.h"

#include <QFormLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QMap>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
// The motion mode in which the position controller follows the ramper.
constexpr int kMotionModePosition = 3;
// The ramp mode that ramps to a position (not a velocity).
constexpr int kRampModePosition = 0;

// Positions are 32-bit and wrap around, as on the device.
int wrappingAdd(int a, int b)
{
    return int(quint32(a) + quint32(b));
}
} // namespace

const PositionMode_Veltrax::FieldLookup PositionMode_Veltrax::kFieldLookups[20] = {
    {"PID_POSITION_TARGET", &PositionMode_Veltrax::m_targetPosition},
    {"RAMPER_X_TARGET", &PositionMode_Veltrax::m_ramperTarget},
    {"PID_POSITION_ACTUAL", &PositionMode_Veltrax::m_actualPosition},
    {"CONFIG_MOTION_MODE", &PositionMode_Veltrax::m_motionMode},
    {"CONFIG_FEEDFORWARD", &PositionMode_Veltrax::m_feedForward},
    {"RAMPER_V_START", &PositionMode_Veltrax::m_vStart},
    {"RAMPER_V_STOP", &PositionMode_Veltrax::m_vStop},
    {"RAMPER_V1", &PositionMode_Veltrax::m_v1},
    {"RAMPER_V2", &PositionMode_Veltrax::m_v2},
    {"RAMPER_V_MAX", &PositionMode_Veltrax::m_vMax},
    {"RAMPER_A1", &PositionMode_Veltrax::m_a1},
    {"RAMPER_A2", &PositionMode_Veltrax::m_a2},
    {"RAMPER_A_MAX", &PositionMode_Veltrax::m_aMax},
    {"RAMPER_D1", &PositionMode_Veltrax::m_d1},
    {"RAMPER_D2", &PositionMode_Veltrax::m_d2},
    {"RAMPER_D_MAX", &PositionMode_Veltrax::m_dMax},
    {"RAMPER_TIME_CONFIG_T_VMAX", &PositionMode_Veltrax::m_tVMax},
    {"RAMPER_TIME_CONFIG_T_ZEROWAIT", &PositionMode_Veltrax::m_tZeroWait},
    {"CONFIG_RAMP_ENABLE", &PositionMode_Veltrax::m_rampEnable},
    {"CONFIG_RAMP_MODE", &PositionMode_Veltrax::m_rampMode},
};

// The velocities rise towards VMAX; the accelerations and decelerations are
// gentlest at AMAX and DMAX, the smallest of their three.
const PositionMode_Veltrax::RegisterRow PositionMode_Veltrax::kRegisterRows[14] = {
    {&PositionMode_Veltrax::m_vStart, &PositionMode_Veltrax::m_vStartWidget, 0},
    {&PositionMode_Veltrax::m_vStop, &PositionMode_Veltrax::m_vStopWidget, 1},
    {&PositionMode_Veltrax::m_v1, &PositionMode_Veltrax::m_v1Widget, 1000000},
    {&PositionMode_Veltrax::m_v2, &PositionMode_Veltrax::m_v2Widget, 3000000},
    {&PositionMode_Veltrax::m_vMax, &PositionMode_Veltrax::m_vMaxWidget, 5000000},
    {&PositionMode_Veltrax::m_a1, &PositionMode_Veltrax::m_a1Widget, 16000},
    {&PositionMode_Veltrax::m_a2, &PositionMode_Veltrax::m_a2Widget, 6000},
    {&PositionMode_Veltrax::m_aMax, &PositionMode_Veltrax::m_aMaxWidget, 2000},
    {&PositionMode_Veltrax::m_d1, &PositionMode_Veltrax::m_d1Widget, 16000},
    {&PositionMode_Veltrax::m_d2, &PositionMode_Veltrax::m_d2Widget, 6000},
    {&PositionMode_Veltrax::m_dMax, &PositionMode_Veltrax::m_dMaxWidget, 2000},
    {&PositionMode_Veltrax::m_tVMax, &PositionMode_Veltrax::m_tVMaxWidget, 0},
    {&PositionMode_Veltrax::m_tZeroWait, &PositionMode_Veltrax::m_tZeroWaitWidget, 0},
    {&PositionMode_Veltrax::m_feedForward, &PositionMode_Veltrax::m_feedForwardWidget, 1},
};

PositionMode_Veltrax::PositionMode_Veltrax(QString name, unsigned char motor, ZYRAModuleInterface* module,
                                           int variant, XmlProductIC* ic)
    : GenericPositionMode(name, motor, module, variant)
    , m_ui(std::make_unique<Ui_PositionMode_Veltrax>())
{
    Q_UNUSED(ic);
    m_ui->setupUi(this);
    m_scene = std::make_unique<QGraphicsScene>();
    m_ui->graphicsView->setScene(m_scene.get());
    setToolsName(QStringLiteral("Position mode"));

    m_targetReference = QStringLiteral("target position");
    m_lastTarget = 0;
    m_ui->cmbRelativeTo->addItem(QStringLiteral("actual position"), QVariant());
    m_ui->cmbRelativeTo->addItem(m_targetReference, QVariant());

    Model::RegisterController* registers = registerController();
    for (const FieldLookup& lookup : kFieldLookups)
        this->*lookup.field = registers ? registers->get(QLatin1String(lookup.name), false) : nullptr;

    setupRegistersTable();
    setupRampGraph();

    connect(m_ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Veltrax::btnMoveAbsoluteClicked);
    connect(m_ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Veltrax::btnMoveRelativeClicked);
    connect(m_ui->btnStop, &QPushButton::clicked, this, &PositionMode_Veltrax::btnStopClicked);
    connect(m_ui->btnClear, &QPushButton::clicked, this, &PositionMode_Veltrax::btnClearClicked);
    connect(m_ui->pbReload, &QPushButton::clicked, this, &PositionMode_Veltrax::pbReloadClicked);
    connect(m_ui->pbDefaults, &QPushButton::clicked, this, &PositionMode_Veltrax::pbDefaultsClicked);
    connect(m_ui->gbRampEnable, &QGroupBox::toggled, this, &PositionMode_Veltrax::gbRampEnableToggled);
    connect(m_ui->pbOpenClose, &QPushButton::toggled, this, &PositionMode_Veltrax::handleToggledHideButton);
    // pbOpenClose starts checked: the ramp panel starts hidden.
    handleToggledHideButton(true);

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

PositionMode_Veltrax::~PositionMode_Veltrax() = default;

QRectF PositionMode_Veltrax::mapRectToScene(QRectF viewBox, QRectF itemRect, QRectF bounds)
{
    return RampGraph::mapRectToScene(viewBox, itemRect, bounds);
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
    m_lastTarget = m_ui->sbTargetPosition->value();
    setTargetPosition(m_lastTarget);
}

void PositionMode_Veltrax::btnMoveRelativeClicked()
{
    const int step = m_ui->sbTargetPosition->value();
    // The last target advances by the step whatever the base of this move.
    if (m_ui->cmbRelativeTo->currentText().startsWith(m_targetReference, Qt::CaseSensitive)) {
        m_lastTarget = wrappingAdd(m_lastTarget, step);
        setTargetPosition(m_lastTarget);
    } else {
        const int actual = getActualPosition();
        m_lastTarget = wrappingAdd(m_lastTarget, step);
        setTargetPosition(wrappingAdd(actual, step));
    }
}

void PositionMode_Veltrax::btnStopClicked()
{
    // Stop is a move to where the motor is now.
    setTargetPosition(getActualPosition());
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
    QMap<QPointer<XmlRegisterWidget>, int> defaults;
    for (const RegisterRow& row : kRegisterRows) {
        const QPointer<XmlRegisterWidget>& widget = this->*row.widget;
        if (widget)
            defaults.insert(widget, row.defaultValue);
    }
    // In table order, not in the map's order of addresses.
    const QList<QPointer<XmlRegisterWidget>> widgets = m_registerWidgets;
    for (const QPointer<XmlRegisterWidget>& widget : widgets) {
        if (!widget || !defaults.contains(widget))
            continue;
        if (Model::ZYRAField* field = widget->ZYRAField())
            field->setValue(defaults.value(widget));
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

int PositionMode_Veltrax::getActualPosition()
{
    // Without the actual-position field the last commanded target is the best
    // known position: Stop then holds that target rather than sending the
    // motor to 0, and a relative move steps on from it.
    if (!m_actualPosition || !m_actualPosition->exists())
        return m_lastTarget;
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
    const QList<QPointer<XmlRegisterWidget>> widgets = m_registerWidgets;
    for (const QPointer<XmlRegisterWidget>& widget : widgets) {
        if (!widget)
            continue;
        if (Model::ZYRAField* field = widget->ZYRAField())
            field->value(nullptr);
    }
}

void PositionMode_Veltrax::setupRegistersTable()
{
    auto* table = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    auto* panelLayout = new QHBoxLayout(m_ui->registersWidget);
    panelLayout->addWidget(table);

    auto* container = new XmlRegisterWidgetContainer(new QFormLayout, this, QString());
    for (const RegisterRow& row : kRegisterRows) {
        Model::ZYRAField* field = this->*row.field;
        if (!field || !field->exists())
            continue;
        auto* widget = new XmlRegisterWidget(field, this);
        container->addXmlWidget(widget);
        m_registerWidgets.append(widget);
        this->*row.widget = widget;
    }

    if (QWidget* rows = container->widget()) {
        if (QLayout* rowsLayout = rows->layout())
            rowsLayout->setContentsMargins(0, 0, 0, 0);
        tableLayout->addWidget(rows);
    }
}

void PositionMode_Veltrax::setupRampGraph()
{
    // The drawing's elements with the editor of each; TVMAX follows VMAX here,
    // while the register table lists the two times last.
    RampGraph::build(m_ui->graphicsView->scene(),
                     {
                         {"Field-VSTART", m_vStartWidget},
                         {"Field-VSTOP", m_vStopWidget},
                         {"Field-V1", m_v1Widget},
                         {"Field-V2", m_v2Widget},
                         {"Field-VMAX", m_vMaxWidget},
                         {"Field-TVMAX", m_tVMaxWidget},
                         {"Field-A1", m_a1Widget},
                         {"Field-A2", m_a2Widget},
                         {"Field-AMAX", m_aMaxWidget},
                         {"Field-D1", m_d1Widget},
                         {"Field-D2", m_d2Widget},
                         {"Field-DMAX", m_dMaxWidget},
                         {"Field-TZERO", m_tZeroWaitWidget},
                     },
                     this, [this](HelperTargetArea* targetArea, bool entry) { handleXmlWidgetHover(targetArea, entry); });
}
