// SPDX-License-Identifier: MIT
#include "positionmode_axisparameter.h"

#include "common/positionarithmetic.h"
#include "common/toolconstants.h"
#include "core/exporttypes.h"
#include "core/importfilter_exporttypes.h"
#include "core/importfilter_samemodule.h"
#include "core/zyramoduleinterface.h"
#include "model/basexmlparameter.h"
#include "model/parametercontroller.h"
#include "model/xmlfeature.h"
#include "model/xmlproductmodule.h"
#include "model/zyraparameter.h"
#include "ui_positionmode_axisparameter.h"
#include "widgets/xmlparameterwidget.h"

#include <QDebug>
#include <QLabel>
#include <QSet>

namespace {
using ToolConstants::kTraceSubWidget;
// Editors of velocity and acceleration step by this much per arrow click.
constexpr int kRampEditorStep = 100;

// Spelled out rather than taken from the compiler, so the log line reads the
// same whichever compiler built the plug-in.
const char kConstructorSignature[] =
    "PositionMode_AxisParameter::PositionMode_AxisParameter(QString, quint8, ZYRAModuleInterface*, int)";

bool isPresent(const Model::BaseXMLParameter* parameter)
{
    return parameter && parameter->exists();
}

// The parameter of that controller member for the named tool, or null.
Model::BaseXMLParameter* warned(Model::ZYRAParameter* member, const QString& toolName)
{
    return member ? member->getWarned(toolName) : nullptr;
}
} // namespace

PositionMode_AxisParameter::PositionMode_AxisParameter(QString name, quint8 motor, ZYRAModuleInterface* module,
                                                       int variant)
    : GenericPositionMode(std::move(name), motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_AxisParameter>())
{
    ui->setupUi(this);

    setToolsName(QLatin1String(isLinear() ? ToolConstants::kLinearToolName : ToolConstants::kToolName));
    if (isLinear())
        setLinearAxis(true);

    // Without a module there is no controller: every parameter stays null and
    // the features that need one are hidden by the steps below.
    setupClearOnNull();
    setupRampEnable();
    setupRampEditors();
    connect(ui->btnHideController, &QPushButton::toggled, this, &PositionMode_AxisParameter::handleToggledHideButton);
    handleToggledHideButton(true);
    setupPositions();
    LastTarget::fillRelativeTo(ui->cmbRelativeTo);
    readCommutationFeatures();
    setupCommutationHints();
    ui->gbHints->hide();

    addImportFilter(new ImportFilter_SameModule(this));
    addImportFilter(new ImportFilter_SpecificExportTypes(
        QSet<const export_type_t*>{&ExportTypes::UpdateUnits, &ExportTypes::CommutationMode}, this));
    connectControls();
}

void PositionMode_AxisParameter::setupClearOnNull()
{
    if (Model::ParameterController* parameters = controller()) {
        clearOnNullParameter1 = parameters->clearOnNull1.data();
        clearOnNullParameter2 = parameters->clearOnNull2.data();
    }
    if (!isPresent(clearOnNullParameter1) || !isPresent(clearOnNullParameter2))
        ui->btnClearOnNull->hide();
}

void PositionMode_AxisParameter::setupRampEnable()
{
    if (Model::ParameterController* parameters = controller())
        rampEnableParameter = parameters->rampEnable.data();
    if (!rampEnableParameter) {
        ui->gbAccelDecel->hide();
        return;
    }
    // The group follows the device; a change it makes comes back through
    // gbAccelDecelToggled, which writes nothing for the value just known.
    connect(rampEnableParameter.data(), &Model::AbstractParameter::valueChanged, this, [this](qint64 value) {
        if (value != (ui->gbAccelDecel->isChecked() ? 1 : 0))
            ui->gbAccelDecel->setChecked(value != 0);
    });
}

void PositionMode_AxisParameter::setupRampEditors()
{
    if (Model::ParameterController* parameters = controller()) {
        maxVelocityParameter = warned(isLinear() ? parameters->linearMaxVelocity : parameters->maxVelocity, this->name());
        accelerationParameter = isLinear() ? parameters->linearAcceleration.data() : parameters->acceleration.data();
        // Some rotary modules keep their deceleration under a second parameter.
        decelerationParameter = isLinear() ? parameters->linearDeceleration.data() : parameters->deceleration.data();
        if (!isPresent(decelerationParameter)) {
            decelerationParameter = isLinear() ? parameters->linearDeceleration.data()
                                               : parameters->decelerationAlternative.data();
        }
    }
    if (isPresent(maxVelocityParameter)) {
        maxVelocityWidget = addEditor(maxVelocityParameter);
        ui->layoutVMAX->addRow(QStringLiteral("Max velocity"), maxVelocityWidget->widget());
    }
    if (isPresent(accelerationParameter)) {
        accelerationWidget = addEditor(accelerationParameter);
        ui->layoutAccelDecel->addRow(QStringLiteral("Acceleration"), accelerationWidget->widget());
    }
    if (isPresent(decelerationParameter)) {
        decelerationWidget = addEditor(decelerationParameter);
        ui->layoutAccelDecel->addRow(QStringLiteral("Deceleration"), decelerationWidget->widget());
    }
}

void PositionMode_AxisParameter::setupPositions()
{
    if (Model::ParameterController* parameters = controller()) {
        targetPositionParameter = warned(isLinear() ? parameters->linearTargetPosition : parameters->targetPosition,
                                         this->name());
        actualPositionParameter = warned(isLinear() ? parameters->linearActualPosition : parameters->actualPosition,
                                         this->name());
    }
    if (!isPresent(actualPositionParameter))
        return;
    actualPositionWidget = new XmlParameterWidget(actualPositionParameter, this);
    actualPositionWidget->setReadOnly(true);
    delete ui->horizontalLayout_3->replaceWidget(ui->sbActualPositionPlaceholder, actualPositionWidget->widget(),
                                                 Qt::FindChildrenRecursively);
    // Out of the layout the empty placeholder would only cover the group's corner.
    ui->sbActualPositionPlaceholder->hide();
}

void PositionMode_AxisParameter::setupCommutationHints()
{
    lblCommutationDisabled = new QLabel(
        QStringLiteral("Commutation mode is set to \"disabled\". This tool is not supported in this case."));
    lblCommutationOpenLoop = new QLabel(
        QStringLiteral("Commutation mode is set to \"open loop\". This tool is not supported in this case."));
    for (QLabel* label : {lblCommutationDisabled.data(), lblCommutationOpenLoop.data()}) {
        label->setWordWrap(true);
        label->hide();
    }

    if (Model::ParameterController* parameters = controller())
        commutationModeParameter = parameters->commutationMode.data();
    if (!isPresent(commutationModeParameter)) {
        // No commutation mode, nothing to hint at: the labels would have no owner.
        delete lblCommutationDisabled;
        delete lblCommutationOpenLoop;
        return;
    }
    ui->layoutHints->addWidget(lblCommutationDisabled);
    ui->layoutHints->addWidget(lblCommutationOpenLoop);
    connect(commutationModeParameter.data(), &Model::AbstractParameter::valueChanged, this,
            [this](qint64 mode) { enableOnCommutationMode(int(mode)); });
}

void PositionMode_AxisParameter::connectControls()
{
    connect(ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_AxisParameter::btnMoveAbsoluteClicked);
    connect(ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_AxisParameter::btnMoveRelativeClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PositionMode_AxisParameter::btnStopClicked);
    connect(ui->btnClear, &QPushButton::clicked, this, &PositionMode_AxisParameter::btnClearClicked);
    connect(ui->btnClearOnNull, &QPushButton::clicked, this, &PositionMode_AxisParameter::btnClearOnNullClicked);
    connect(ui->gbAccelDecel, &QGroupBox::toggled, this, &PositionMode_AxisParameter::gbAccelDecelToggled);
}

PositionMode_AxisParameter::~PositionMode_AxisParameter() = default;

bool PositionMode_AxisParameter::isLinear() const
{
    return toolsVariant() == PluginVariant::LinearAxisParameter;
}

XmlParameterWidget* PositionMode_AxisParameter::addEditor(Model::BaseXMLParameter* parameter)
{
    auto* editor = new XmlParameterWidget(parameter, this);
    editor->setSingleStep(kRampEditorStep);
    return editor;
}

// The module tells which commutation-mode values leave position mode
// unusable; a module that gives no such hint keeps both values at -1, which
// no real mode matches.
void PositionMode_AxisParameter::readCommutationFeatures()
{
    XmlProductModule* product = module() ? module()->getProductModule() : nullptr;
    if (!product) {
        qCritical() << kConstructorSignature << "getProductModule() failed ";
        return;
    }
    const QString axis = QStringLiteral("axis");
    const unsigned char firstAxis = 0;
    const XmlFeature* hintSupport = product->feature(QStringLiteral("CommutationModeHintSupport"), firstAxis, axis);
    if (!hintSupport || hintSupport->value() != QLatin1String("true"))
        return;
    // A value that is not a decimal number is no hint: the mode stays unmatched.
    bool ok = false;
    if (const XmlFeature* disabled = product->feature(QStringLiteral("CommutationModeDisabledValue"), firstAxis, axis)) {
        const int value = disabled->value().toInt(&ok, 10);
        if (ok)
            commutationDisabledValue = value;
    }
    if (const XmlFeature* openLoop = product->feature(QStringLiteral("CommutationModeOpenLoopValue"), firstAxis, axis)) {
        const int value = openLoop->value().toInt(&ok, 10);
        if (ok)
            commutationOpenLoopValue = value;
    }
}

void PositionMode_AxisParameter::enableOnCommutationMode(int mode)
{
    setEnabled(mode != commutationDisabledValue && mode != commutationOpenLoopValue);
    if (lblCommutationDisabled) {
        lblCommutationDisabled->setVisible(mode == commutationDisabledValue);
        lblCommutationDisabled->setEnabled(mode == commutationDisabledValue);
    }
    if (lblCommutationOpenLoop) {
        lblCommutationOpenLoop->setVisible(mode == commutationOpenLoopValue);
        lblCommutationOpenLoop->setEnabled(mode == commutationOpenLoopValue);
    }
    // A layout whose labels are all hidden counts as empty.
    ui->gbHints->setVisible(!ui->layoutHints->isEmpty());
}

// Without the actual-position editor the position reads as 0, and Stop and
// relative moves go from there.
int PositionMode_AxisParameter::getActualPosition()
{
    if (!actualPositionWidget || !actualPositionWidget->modelParameter())
        return 0;
    return PositionArithmetic::narrow(actualPositionWidget->modelParameter()->readValue(false));
}

void PositionMode_AxisParameter::setTargetPosition(int position)
{
    // A linear axis moves when its target parameter changes; a rotary module
    // has the host send its move command.
    if (isLinear()) {
        if (targetPositionParameter)
            targetPositionParameter->writeValue(position);
        return;
    }
    doMoveToPosition(position);
}

void PositionMode_AxisParameter::importValue(const ExportType* key, QVariant value, QObject* sender)
{
    Q_UNUSED(sender);
    if (key != &ExportTypes::UpdateUnits)
        return;
    qDebug() << "ImportValue:PositionMode_AxisParameter" << toolsVariant();
    // Units: 0 rotary, 1 linear. The tool shows only for the units of its axis.
    const int units = value.toInt();
    updateToolVisibility(isLinear() ? units == 1 : units == 0);
}

void PositionMode_AxisParameter::handleToggledHideButton(bool toggled)
{
    ui->gbRampControl->setVisible(!toggled);
}

void PositionMode_AxisParameter::btnMoveAbsoluteClicked()
{
    lastTarget.moveAbsolute(ui->sbTargetPosition->value());
}

void PositionMode_AxisParameter::btnMoveRelativeClicked()
{
    lastTarget.moveRelative(ui->sbTargetPosition->value(), ui->cmbRelativeTo);
}

void PositionMode_AxisParameter::btnStopClicked()
{
    lastTarget.stop();
}

// Missing parameters are skipped: each write or read below happens only for a
// parameter the module offers.
void PositionMode_AxisParameter::btnClearClicked()
{
    if (actualPositionParameter)
        actualPositionParameter->writeValue(0);
    if (targetPositionParameter)
        lastTarget.set(PositionArithmetic::narrow(targetPositionParameter->readValue(false)));
}

void PositionMode_AxisParameter::btnClearOnNullClicked()
{
    if (clearOnNullParameter1)
        clearOnNullParameter1->writeValue(1);
    if (clearOnNullParameter2)
        clearOnNullParameter2->writeValue(1);
}

void PositionMode_AxisParameter::gbAccelDecelToggled(bool enableRamp)
{
    if (!rampEnableParameter)
        return;
    const qint64 wanted = enableRamp ? 1 : 0;
    if (wanted == rampEnableParameter->lastKnownValue())
        return;
    rampEnableParameter->writeValue(wanted);
}

void PositionMode_AxisParameter::updateSubWidgetValues(int id)
{
    if (id != kTraceSubWidget)
        return;
    // The editors follow their parameters; the values read are not needed here.
    // A parameter the module lacks is skipped.
    for (Model::BaseXMLParameter* parameter : {maxVelocityParameter.data(), accelerationParameter.data(),
                                               decelerationParameter.data(), rampEnableParameter.data()}) {
        if (parameter)
            parameter->readValue(false);
    }
}

void PositionMode_AxisParameter::registerSubWidgetTraces(int id)
{
    if (id != kTraceSubWidget)
        return;
    if (isPresent(commutationModeParameter))
        addTrace(commutationModeParameter->xmlParameter());
    if (actualPositionParameter)
        addTrace(actualPositionParameter->xmlParameter());
}

void PositionMode_AxisParameter::unRegisterSubWidgetTraces(int id)
{
    if (id != kTraceSubWidget)
        return;
    removeAllTraces();
}
