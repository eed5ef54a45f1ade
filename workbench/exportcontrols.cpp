// SPDX-License-Identifier: MIT
#include "exportcontrols.h"

#include "core/exporttypes.h"
#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "model/parametercontroller.h"
#include "model/productdescription.h"
#include "model/xmlparameterinterface.h"
#include "model/zyraparameter.h"
#include "pluginhost.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace {
const char kCommutationRole[] = "commutationMode";

QString commutationTip()
{
    return QStringLiteral("Sets the current motor's commutation mode in the device and exports \"CommMode\"; "
                          "the tool disables itself for modes it cannot work in.");
}
} // namespace

ExportControls::ExportControls(PluginHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    m_units = new QComboBox(this);
    m_units->setObjectName(QStringLiteral("unitsExport"));
    m_units->addItem(QStringLiteral("rotary (0)"), 0);
    m_units->addItem(QStringLiteral("linear (1)"), 1);
    m_units->setToolTip(QStringLiteral("The host exports \"Units\" from the module: 0 rotary, 1 linear. "
                                       "The axis-parameter tool shows itself only for its own units."));
    m_commutation = new QComboBox(this);
    m_commutation->setObjectName(QStringLiteral("commutationExport"));
    m_commutation->setToolTip(commutationTip());
    m_commutation->setSizeAdjustPolicy(QComboBox::AdjustToContents); // its items whole

    auto* unitsLabel = new QLabel(QStringLiteral("&Units:"), this);
    unitsLabel->setBuddy(m_units);
    auto* commutationLabel = new QLabel(QStringLiteral("&Commutation:"), this);
    commutationLabel->setBuddy(m_commutation);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(unitsLabel);
    layout->addWidget(m_units);
    layout->addSpacing(12);
    layout->addWidget(commutationLabel);
    layout->addWidget(m_commutation);

    connect(m_units, QOverload<int>::of(&QComboBox::activated), this, &ExportControls::unitsChosen);
    connect(m_commutation, QOverload<int>::of(&QComboBox::activated), this, &ExportControls::commutationChosen);
    connect(&m_host, &PluginHost::moduleChanged, this, &ExportControls::moduleChanged);
    connect(&m_host, &PluginHost::currentToolChanged, this, &ExportControls::followCommutationMode);
    connect(&m_host, &PluginHost::valueExported, this, &ExportControls::exported);
    moduleChanged(m_host.module());
}

void ExportControls::moduleChanged(ZYRAModuleInterface* module)
{
    const ProductDescription* product = module ? module->product() : nullptr;
    // Only modules driven through axis parameters export units and commutation mode.
    const bool axisParameters = product && !product->parameters().isEmpty();
    setEnabled(axisParameters);
    setToolTip(axisParameters ? QString()
                              : QStringLiteral("Only the axis-parameter modules export units and commutation mode"));
    {
        const QSignalBlocker blocker(m_units);
        // The module's own units: a linear axis for the linear module.
        const bool linear = product && product->variant() == PluginVariant::LinearAxisParameter;
        m_units->setCurrentIndex(linear ? 1 : 0);
    }
    const QSignalBlocker blocker(m_commutation);
    m_commutation->clear();
    const XmlParameterInterface* parameter = product ? product->parameter(QLatin1String(kCommutationRole)) : nullptr;
    m_commutationSettable = parameter != nullptr;
    m_commutation->setEnabled(false);
    if (!parameter)
        return;
    // The parameter's description names its values: "0 disabled, 1 open loop, ...".
    const QRegularExpression item(QStringLiteral("(\\d+) ([^,]+)"));
    auto match = item.globalMatch(parameter->getParameterDescription());
    while (match.hasNext()) {
        const QRegularExpressionMatch found = match.next();
        m_commutation->addItem(QStringLiteral("%1 %2").arg(found.captured(1), found.captured(2).trimmed()),
                               found.captured(1).toInt());
    }
    if (m_commutation->count() == 0) {
        for (qint64 value = parameter->minimum(); value <= parameter->maximum() && value < 16; ++value)
            m_commutation->addItem(QString::number(value), int(value));
    }
    followCommutationMode();
}

void ExportControls::followCommutationMode()
{
    if (m_commutationParameter)
        disconnect(m_commutationParameter, nullptr, this, nullptr);
    m_commutationParameter = nullptr;
    // The mode is the current tool's motor's: without a tool there is none to set.
    const bool settable = m_commutationSettable && m_host.tool();
    m_commutation->setEnabled(settable);
    m_commutation->setToolTip(settable || !m_commutationSettable
                                  ? commutationTip()
                                  : QStringLiteral("Open a motor's tool to set its commutation mode"));
    SimulatedModule* module = m_host.module();
    qint64 value = 0;
    if (!settable || !module || !module->device()->value(m_host.motor(), QLatin1String(kCommutationRole), &value))
        return;
    showCommutationMode(value);
    // The mode may change in the device; the combo box follows what the host reads.
    if (Model::ParameterController* controller = module->parameterController(m_host.motor())) {
        m_commutationParameter = controller->commutationMode;
        if (m_commutationParameter) {
            connect(m_commutationParameter, &Model::AbstractParameter::valueUpdated, this,
                    &ExportControls::showCommutationMode);
        }
    }
}

void ExportControls::showCommutationMode(qint64 mode)
{
    const QSignalBlocker blocker(m_commutation);
    m_commutation->setCurrentIndex(m_commutation->findData(int(mode)));
}

void ExportControls::exported(const QString& key, const QVariant& value)
{
    // Exports made elsewhere (a script) show here too.
    if (key != QLatin1String(ExportTypes::UpdateUnits.name))
        return;
    const QSignalBlocker blocker(m_units);
    m_units->setCurrentIndex(m_units->findData(value.toInt()));
}

void ExportControls::unitsChosen(int index)
{
    const int units = m_units->itemData(index).toInt();
    m_host.exportValue(&ExportTypes::UpdateUnits, units);
    emit unitsExported(units);
}

void ExportControls::commutationChosen(int index)
{
    SimulatedModule* module = m_host.module();
    if (!module || !m_host.tool())
        return;
    const int mode = m_commutation->itemData(index).toInt();
    module->device()->setValue(m_host.motor(), QLatin1String(kCommutationRole), mode);
    m_host.exportValue(&ExportTypes::CommutationMode, mode);
    emit commutationModeExported(mode);
}
