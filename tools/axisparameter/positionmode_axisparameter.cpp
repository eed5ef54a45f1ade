#include "positionmode_axisparameter.h"

#include "ui_positionmode_axisparameter.h"

#include "core/exporttypes.h"
#include "core/importfilter_samemodule.h"
#include "core/importfilter_exporttypes.h"
#include "core/zyramoduleinterface.h"
#include "model/basexmlparameter.h"
#include "model/parametercontroller.h"
#include "model/xmlfeature.h"
#include "model/xmlproductmodule.h"
#include "model/zyraparameter.h"
#include "widgets/xmlparameterwidget.h"

#include <QDebug>
#include <QLabel>
#include <QSet>

namespace {
// The host's sub-widget id of the tool's traces.
constexpr int kTraceSubWidget = 8;
// Editors of velocity and acceleration step by this much per arrow click.
constexpr int kRampEditorStep = 100;

// Spelled out rather than taken from the compiler, so the log line reads the
// same whichever compiler built the plug-in.
const char kConstructorSignature[] =
    "PositionMode_AxisParameter::PositionMode_AxisParameter(QString, quint8, ZYRAModuleInterface*, int)";

// Position arithmetic wraps around in 32 bits, as on the device.
qint32 wrappingAdd(qint32 a, qint32 b)
{
    return qint32(quint32(a) + quint32(b));
}

// A 64-bit parameter value seen as a 32-bit position (its low 32 bits).
qint32 toPosition(qint64 value)
{
    return qint32(quint32(quint64(value)));
}

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
    : GenericPositionMode(name, motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_AxisParameter>())
{
    ui->setupUi(this);

    setToolsName(isLinear() ? QStringLiteral("Position mode (Linear)") : QStringLiteral("Position mode"));
    if (isLinear())
        setLinearAxis(true);

    // Without a module there is no controller: every parameter stays null and
    // the features that need one are hidden below.
    Model::ParameterController* parameters = controller();

    if (parameters) {
        clearOnNullParameter1 = parameters->clearOnNull1.data();
        clearOnNullParameter2 = parameters->clearOnNull2.data();
    }
    if (!isPresent(clearOnNullParameter1) || !isPresent(clearOnNullParameter2))
        ui->btnClearOnNull->hide();

    if (parameters)
        rampEnableParameter = parameters->rampEnable.data();
    if (rampEnableParameter) {
        // The group follows the device; a change it makes comes back through
        // gbAccelDecelToggled, which writes nothing for the value just known.
        connect(rampEnableParameter.data(), &Model::AbstractParameter::valueChanged, this, [this](qint64 value) {
            if (value != (ui->gbAccelDecel->isChecked() ? 1 : 0))
                ui->gbAccelDecel->setChecked(value != 0);
        });
    } else {
        ui->gbAccelDecel->hide();
    }

    if (parameters) {
        maxVelocityParameter =
            warned(isLinear() ? parameters->linearMaxVelocity : parameters->maxVelocity, this->name());
    }
    if (isPresent(maxVelocityParameter)) {
        maxVelocityWidget = addEditor(maxVelocityParameter);
        ui->layoutVMAX->addRow(QStringLiteral("Max velocity"), maxVelocityWidget->widget());
    }

    if (parameters)
        accelerationParameter = isLinear() ? parameters->linearAcceleration.data() : parameters->acceleration.data();
    if (isPresent(accelerationParameter)) {
        accelerationWidget = addEditor(accelerationParameter);
        ui->layoutAccelDecel->addRow(QStringLiteral("Acceleration"), accelerationWidget->widget());
    }

    if (parameters) {
        // Some rotary modules keep their deceleration under a second parameter.
        decelerationParameter = isLinear() ? parameters->linearDeceleration.data() : parameters->deceleration.data();
        if (!isPresent(decelerationParameter)) {
            decelerationParameter = isLinear() ? parameters->linearDeceleration.data()
                                               : parameters->decelerationAlternative.data();
        }
    }
    if (isPresent(decelerationParameter)) {
        decelerationWidget = addEditor(decelerationParameter);
        ui->layoutAccelDecel->addRow(QStringLiteral("Deceleration"), decelerationWidget->widget());
    }

    connect(ui->btnHideController, &QPushButton::toggled, this, &PositionMode_AxisParameter::handleToggledHideButton);
    handleToggledHideButton(true);

    if (parameters) {
        targetPositionParameter =
            warned(isLinear() ? parameters->linearTargetPosition : parameters->targetPosition, this->name());
        actualPositionParameter =
            warned(isLinear() ? parameters->linearActualPosition : parameters->actualPosition, this->name());
    }

    if (isPresent(actualPositionParameter)) {
        actualPositionWidget = new XmlParameterWidget(actualPositionParameter, this);
        actualPositionWidget->setReadOnly(true);
        delete ui->horizontalLayout_3->replaceWidget(ui->sbActualPositionPlaceholder, actualPositionWidget->widget(),
                                                     Qt::FindChildrenRecursively);
        // Out of the layout the empty placeholder would only cover the group's corner.
        ui->sbActualPositionPlaceholder->hide();
    }

    lastTargetPosition = 0;
    ui->cmbRelativeTo->addItem(QStringLiteral("actual position"));
    ui->cmbRelativeTo->addItem(QStringLiteral("target position"));

    readCommutationFeatures();

    lblCommutationDisabled =
        new QLabel(QStringLiteral("Commutation mode is set to \"disabled\". This tool is not supported in this case."));
    lblCommutationOpenLoop =
        new QLabel(QStringLiteral("Commutation mode is set to \"open loop\". This tool is not supported in this case."));
    for (QLabel* label : {lblCommutationDisabled.data(), lblCommutationOpenLoop.data()}) {
        label->setWordWrap(true);
        label->hide();
    }

    if (parameters)
        commutationModeParameter = parameters->commutationMode.data();
    if (isPresent(commutationModeParameter)) {
        ui->layoutHints->addWidget(lblCommutationDisabled);
        ui->layoutHints->addWidget(lblCommutationOpenLoop);
        connect(commutationModeParameter.data(), &Model::AbstractParameter::valueChanged, this,
                [this](qint64 mode) { enableOnCommutationMode(int(mode)); });
    } else {
        // No commutation mode, nothing to hint at: the labels would have no owner.
        delete lblCommutationDisabled;
        delete lblCommutationOpenLoop;
    }

    ui->gbHints->hide();

    addImportFilter(new ImportFilter_SameModule(this));
    addImportFilter(new ImportFilter_SpecificExportTypes(
        QSet<const export_type_t*>{&ExportTypes::UpdateUnits, &ExportTypes::CommutationMode}, this));

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

int PositionMode_AxisParameter::getActualPosition()
{
    if (!actualPositionWidget || !actualPositionWidget->modelParameter())
        return 0;
    return toPosition(actualPositionWidget->modelParameter()->readValue(false));
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
    lastTargetPosition = ui->sbTargetPosition->value();
    setTargetPosition(lastTargetPosition);
}

void PositionMode_AxisParameter::btnMoveRelativeClicked()
{
    const int step = ui->sbTargetPosition->value();
    // The running target advances whichever base the move takes.
    lastTargetPosition = wrappingAdd(lastTargetPosition, step);
    if (ui->cmbRelativeTo->currentIndex() == 1)
        setTargetPosition(lastTargetPosition);
    else
        setTargetPosition(wrappingAdd(getActualPosition(), step));
}

void PositionMode_AxisParameter::btnStopClicked()
{
    // Stop is a move to where the motor is now.
    setTargetPosition(getActualPosition());
}

// Missing parameters are skipped: each write or read below happens only for a
// parameter the module offers.
void PositionMode_AxisParameter::btnClearClicked()
{
    if (actualPositionParameter)
        actualPositionParameter->writeValue(0);
    if (targetPositionParameter)
        lastTargetPosition = toPosition(targetPositionParameter->readValue(false));
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
    for (Model::BaseXMLParameter* parameter :
         {maxVelocityParameter.data(), accelerationParameter.data(), decelerationParameter.data(),
          rampEnableParameter.data()}) {
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
