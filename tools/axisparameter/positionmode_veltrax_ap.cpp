// SPDX-License-Identifier: MIT
#include "positionmode_veltrax_ap.h"

#include "common/positionarithmetic.h"
#include "common/rampgraph.h"
#include "common/toolconstants.h"
#include "core/popupinfolabel.h"
#include "model/parametercontroller.h"
#include "model/xmlparameterinterface.h"
#include "model/zyraparameter.h"
#include "ui_positionmode_veltrax_ap.h"
#include "widgets/xmlparameterwidget.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QtDebug>

#include <exception>
#include <limits>

namespace {
// How long a refused target stays flagged, and the pop-up that says so.
constexpr int kHighlightMs = 2500;
constexpr PopupInfoLabel::Style kRefusalStyle = PopupInfoLabel::Warning;
static_assert(kRefusalStyle == 2, "the refusal pop-up uses the host's style 2");
const char kHighlightColour[] = "FFB818";
// Refresh period of the actual-position display while it is shown.
constexpr int kActualPositionRefreshMs = 250;
using ToolConstants::kTraceSubWidget;

// A parameter range limit as a spin box can hold it.
int spinBoxLimit(qint64 value)
{
    return int(qBound<qint64>(std::numeric_limits<int>::min(), value, std::numeric_limits<int>::max()));
}

// The controller member of a role asked for by this tool; null when the module
// has no controller, the product lacks the role, or the module does not offer it.
Model::ZYRAParameter* parameterFor(Model::ParameterController* controller,
                                   QPointer<Model::ZYRAParameter> Model::ParameterController::*member,
                                   const QString& toolName)
{
    if (!controller)
        return nullptr;
    Model::ZYRAParameter* parameter = controller->*member;
    return parameter ? parameter->getWarned(toolName) : nullptr;
}
} // namespace

PositionMode_Veltrax_AP::PositionMode_Veltrax_AP(QString name, quint8 motor, ZYRAModuleInterface* module, int variant)
    : GenericPositionMode(std::move(name), motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_Veltrax_AP>())
{
    ui->setupUi(this);
    setToolsName(QLatin1String(ToolConstants::kToolName));
    LastTarget::fillRelativeTo(ui->cmbRelativeTo);
    setupTargetPosition();
    setupActualPosition();
    setupRampEnable();
    setupRampEditors();
    setupRampGraph();
    connectControls();
    handleToggledHideButton(true);
}

void PositionMode_Veltrax_AP::setupTargetPosition()
{
    targetPositionParameter = parameterFor(controller(), &Model::ParameterController::targetPosition,
                                           PluginInterface::name());
    if (!targetPositionParameter)
        return;
    try {
        XmlParameterWidget::initializeSpinbox(ui->sbTargetPosition, targetPositionParameter->xmlParameter());
    } catch (const std::exception& e) {
        qWarning() << "PositionMode_Veltrax_AP Error:" << e.what();
    }
    popupInfoLabel = new PopupInfoLabel(this);
    highlightTimer = new QTimer(this);
    highlightTimer->setSingleShot(true);
    connect(highlightTimer, &QTimer::timeout, this, [this] { ui->sbTargetPosition->setStyleSheet(QString()); });
    connect(targetPositionParameter, &Model::AbstractParameter::setValueFailed, this,
            [this](qint64 value) { showValueNotAccepted(static_cast<int>(value)); });
}

void PositionMode_Veltrax_AP::setupActualPosition()
{
    actualPositionParameter = parameterFor(controller(), &Model::ParameterController::actualPosition,
                                           PluginInterface::name());
    if (!actualPositionParameter)
        return;
    ui->sbActualPosition->setMinimum(spinBoxLimit(actualPositionParameter->minimum()));
    ui->sbActualPosition->setMaximum(spinBoxLimit(actualPositionParameter->maximum()));
    if (XmlParameterInterface* description = actualPositionParameter->xmlParameter())
        ui->sbActualPosition->setToolTip(description->getParameterDescription());
    ui->sbActualPosition->installEventFilter(this);
}

void PositionMode_Veltrax_AP::setupRampEnable()
{
    rampEnableParameter = parameterFor(controller(), &Model::ParameterController::rampEnable, PluginInterface::name());
    if (!rampEnableParameter) {
        ui->gbRampEnable->hide();
        return;
    }
    // Not blocked: a value that flips the group is written back by its toggled signal.
    connect(rampEnableParameter, &Model::AbstractParameter::valueUpdated, this,
            [this](qint64 value) { ui->gbRampEnable->setChecked(static_cast<int>(value) != 0); });
    ui->gbRampEnable->setToolTip(QStringLiteral("AP %1").arg(rampEnableParameter->type()));
}

void PositionMode_Veltrax_AP::setupRampEditors()
{
    struct EditorRow
    {
        QPointer<Model::ZYRAParameter> Model::ParameterController::*member;
        QHBoxLayout* Ui_PositionMode_Veltrax_AP::*layout;
        XmlParameterWidget::DisplayType displayType;
    };
    using PC = Model::ParameterController;
    using Form = Ui_PositionMode_Veltrax_AP;
    const XmlParameterWidget::DisplayType plain = XmlParameterWidget::DisplayDefault;
    const std::array<EditorRow, RampEditorCount> editorRows = {{
        {&PC::rampAMax, &Form::layout_RampAMax, plain},
        {&PC::rampA1, &Form::layout_RampA1, plain},
        {&PC::rampA2, &Form::layout_RampA2, plain},
        {&PC::deceleration, &Form::layout_RampDMax, plain},
        {&PC::rampD1, &Form::layout_RampD1, plain},
        {&PC::rampD2, &Form::layout_RampD2, plain},
        {&PC::rampVStart, &Form::layout_RampVStart, plain},
        {&PC::rampV1, &Form::layout_RampV1, plain},
        {&PC::rampV2, &Form::layout_RampV2, plain},
        {&PC::rampVStop, &Form::layout_RampVStop, plain},
        {&PC::maxVelocity, &Form::layout_RampVMax, plain},
        {&PC::velocityFeedForwardEnable, &Form::layout_EnableVelocityFF, XmlParameterWidget::DisplayCheckBox},
        {&PC::accelerationFeedForwardEnable, &Form::layout_EnableAccelerationFF, plain},
        {&PC::accelerationFeedForwardGain, &Form::layout_AccelerationFFGain, plain},
        {&PC::accelerationFeedForwardShift, &Form::layout_AccelerationFFShift, plain},
    }};
    Model::ParameterController* parameters = controller();
    for (int i = 0; i < RampEditorCount; ++i) {
        const EditorRow& row = editorRows[size_t(i)];
        // A role the module lacks still gets an editor, without a widget, so it is not placed.
        Model::ZYRAParameter* parameter = parameterFor(parameters, row.member, PluginInterface::name());
        auto* editor = row.displayType == plain ? new XmlParameterWidget(parameter, this)
                                                : new XmlParameterWidget(parameter, row.displayType, this);
        rampEditors[size_t(i)] = editor;
        if (QWidget* editorWidget = editor->widget())
            (ui.get()->*row.layout)->addWidget(editorWidget);
    }
}

void PositionMode_Veltrax_AP::connectControls()
{
    connect(ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::btnMoveAbsoluteClicked);
    connect(ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::btnMoveRelativeClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::btnStopClicked);
    connect(ui->btnClear, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::btnClearClicked);
    connect(ui->pbReload, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::pbReloadClicked);
    connect(ui->pbDefaults, &QPushButton::clicked, this, &PositionMode_Veltrax_AP::pbDefaultsClicked);
    connect(ui->gbRampEnable, &QGroupBox::toggled, this, &PositionMode_Veltrax_AP::gbRampEnableToggled);
    connect(ui->pbOpenClose, &QPushButton::toggled, this, &PositionMode_Veltrax_AP::handleToggledHideButton);
}

PositionMode_Veltrax_AP::~PositionMode_Veltrax_AP()
{
    // The spin box outlives this part of the tool while the widget tree is torn down.
    ui->sbActualPosition->removeEventFilter(this);
}

// The picture is the bare drawing: this tool's editors have no elements in it.
void PositionMode_Veltrax_AP::setupRampGraph()
{
    rampGraph = std::make_unique<RampGraph>(ui->graphicsView);
}

bool PositionMode_Veltrax_AP::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->sbActualPosition) {
        switch (event->type()) {
        case QEvent::Show:
            // A refresh still running from an earlier show is replaced, not leaked.
            if (actualPositionTimerId != 0)
                ui->sbActualPosition->killTimer(actualPositionTimerId);
            actualPositionTimerId = ui->sbActualPosition->startTimer(kActualPositionRefreshMs, Qt::PreciseTimer);
            break;
        case QEvent::Hide:
            if (actualPositionTimerId != 0)
                ui->sbActualPosition->killTimer(actualPositionTimerId);
            actualPositionTimerId = 0;
            break;
        case QEvent::Timer:
            if (actualPositionParameter)
                ui->sbActualPosition->setValue(static_cast<int>(actualPositionParameter->lastKnownValue()));
            break;
        default:
            break;
        }
    }
    return GenericPositionMode::eventFilter(watched, event);
}

void PositionMode_Veltrax_AP::showValueNotAccepted(int value)
{
    if (popupInfoLabel)
        popupInfoLabel->showMessageAtCursor(QStringLiteral("Exact value not accepted"), kHighlightMs, kRefusalStyle);
    ui->sbTargetPosition->setStyleSheet(QStringLiteral("QSpinBox {background-color: #")
                                        + QLatin1String(kHighlightColour) + QStringLiteral(";}"));
    if (highlightTimer)
        highlightTimer->start(kHighlightMs);
    const QSignalBlocker blocker(ui->sbTargetPosition);
    ui->sbTargetPosition->setValue(value);
}

// Without a target-position parameter the moves have nowhere to go and are skipped.
void PositionMode_Veltrax_AP::writeTargetPosition(qint32 position)
{
    if (targetPositionParameter)
        targetPositionParameter->writeValue(position);
}

std::optional<qint32> PositionMode_Veltrax_AP::readActualPosition()
{
    if (!actualPositionParameter)
        return std::nullopt;
    return PositionArithmetic::narrow(actualPositionParameter->readValue(false));
}

void PositionMode_Veltrax_AP::btnMoveAbsoluteClicked()
{
    lastTarget.moveAbsolute(ui->sbTargetPosition->value());
}

void PositionMode_Veltrax_AP::btnMoveRelativeClicked()
{
    lastTarget.moveRelative(ui->sbTargetPosition->value(), ui->cmbRelativeTo);
}

void PositionMode_Veltrax_AP::btnStopClicked()
{
    lastTarget.stop();
}

void PositionMode_Veltrax_AP::btnClearClicked()
{
    if (actualPositionParameter)
        actualPositionParameter->writeValue(0);
}

void PositionMode_Veltrax_AP::pbReloadClicked()
{
    updateSubWidgetValues(0);
}

void PositionMode_Veltrax_AP::pbDefaultsClicked()
{
    struct Default
    {
        RampEditor editor;
        qint64 value;
    };
    static const Default defaults[] = {
        {RampA1, 8000},
        {RampA2, 4000},
        {RampAMax, 1000},
        {RampD1, 8000},
        {RampD2, 4000},
        {RampDMax, 1000},
        {RampVStart, 0},
        {RampV1, 500},
        {RampV2, 1000},
        {RampVStop, 0},
        {RampVMax, 4000},
        {VelocityFeedForwardEnable, 0},
        {AccelerationFeedForwardEnable, 0},
        {AccelerationFeedForwardGain, 8},
        {AccelerationFeedForwardShift, 4},
    };
    // An editor without a parameter (the module lacks that role) is skipped.
    for (const Default& entry : defaults) {
        const QPointer<XmlParameterWidget>& editor = rampEditors[size_t(entry.editor)];
        if (editor && editor->modelParameter())
            editor->modelParameter()->writeValue(entry.value);
    }
}

void PositionMode_Veltrax_AP::gbRampEnableToggled(bool enableRamp)
{
    if (rampEnableParameter)
        rampEnableParameter->writeValue(enableRamp ? 1 : 0);
}

void PositionMode_Veltrax_AP::handleToggledHideButton(bool value)
{
    ui->gbRampEnable->setVisible(!value);
    updateGeometry();
}

void PositionMode_Veltrax_AP::handleXmlWidgetHover(HelperTargetArea* targetArea, bool entry)
{
    RampGraph::handleHover(targetArea, entry);
}

// The identifier is not looked at: the host's refresh on show and Reload read the same values.
void PositionMode_Veltrax_AP::updateSubWidgetValues(int)
{
    if (rampEnableParameter)
        rampEnableParameter->readValue(false);
    for (const QPointer<XmlParameterWidget>& editor : rampEditors) {
        if (editor && editor->modelParameter())
            editor->modelParameter()->readValue(false);
    }
}

void PositionMode_Veltrax_AP::registerSubWidgetTraces(int id)
{
    if (id == kTraceSubWidget && actualPositionParameter)
        addTrace(actualPositionParameter->xmlParameter());
}

void PositionMode_Veltrax_AP::unRegisterSubWidgetTraces(int id)
{
    if (id == kTraceSubWidget && actualPositionParameter)
        removeTrace(actualPositionParameter->xmlParameter());
}
