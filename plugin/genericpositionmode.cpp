// SPDX-License-Identifier: MIT
#include "genericpositionmode.h"

#include "axisparameter/positionmode_axisparameter.h"
#include "axisparameter/positionmode_veltrax_ap.h"
#include "common/buttonicons.h"
#include "common/toolconstants.h"
#include "core/zyramoduleinterface.h"
#include "register/positionmode_orsax.h"
#include "register/positionmode_veltrax.h"
#include "register/positionmode_zell.h"

namespace {
const char kRootName[] = "undefined";
const char kTitle[] = "Generic position mode";
const char kIcon[] = ":/Icons/control";
const char kVersion[] = POSITIONMODE_VERSION " - tools_generic_position_mode;Plugin-Interface." POSITIONMODE_VERSION
                                             ".tools_generic_position_mode;Plugin ;Plugin.Interface.";
using ToolConstants::kShowUpdateSubWidget;
using ToolConstants::kTraceSubWidget;
// How the host marks the info entries as current.
constexpr int kUpToDateInfo = 9;

// The designation the host shows for each variant code this plug-in serves;
// empty for a code it does not serve.
QString designationOf(int variant)
{
    switch (variant) {
    case PluginVariant::Zell:
        return QStringLiteral("Zell");
    case PluginVariant::Orsax:
        return QStringLiteral("Orsax");
    case PluginVariant::AxisParameter:
    case PluginVariant::LinearAxisParameter:
        return QStringLiteral("AP");
    case PluginVariant::Veltrax:
        return QStringLiteral("Veltra");
    case PluginVariant::Veltrax_AP:
        return QStringLiteral("Veltra_AP");
    default:
        return QString();
    }
}

int registerCommandMetaType()
{
    return qRegisterMetaType<Command*>("Command*");
}
const int kCommandMetaType = registerCommandMetaType();
} // namespace

GenericPositionMode::GenericPositionMode()
    : ToolsInterface(QLatin1String(kRootName), QLatin1String(kTitle), ToolsType::GenericPositionMode, 0, nullptr,
                     QLatin1String(kIcon), nullptr)
{
    Q_UNUSED(kCommandMetaType);
    m_variants = QList<int>();
    m_variants << PluginVariant::AxisParameter << PluginVariant::LinearAxisParameter << PluginVariant::Orsax
               << PluginVariant::Veltrax << PluginVariant::Veltrax_AP << PluginVariant::Zell;
}

// The name comes by value as the tools pass it, and the host's base takes a
// reference: the one copy it makes is the host's.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
GenericPositionMode::GenericPositionMode(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant)
    : ToolsInterface(name, QLatin1String(kTitle), ToolsType::GenericPositionMode, variant, motor, module,
                     QLatin1String(kIcon), nullptr)
{
}

GenericPositionMode::~GenericPositionMode() = default;

QString GenericPositionMode::version()
{
    return QLatin1String(kVersion);
}

void GenericPositionMode::showPlugin()
{
    registerSubWidgetTraces(kTraceSubWidget);
    updateSubWidgetValues(kShowUpdateSubWidget);
}

void GenericPositionMode::hidePlugin()
{
    unRegisterSubWidgetTraces(kTraceSubWidget);
}

bool GenericPositionMode::isUsableForVariant(int variant)
{
    m_selectedVariant = variant;
    const QString designation = designationOf(variant);
    if (designation.isEmpty()) {
        m_selectedVariant = PluginVariant::UNKNOWN;
        return false;
    }
    addInfo(QLatin1String(PluginDevInfo::Designation), QVariant(designation));
    addInfo(QLatin1String(PluginDevInfo::UpToDate), QVariant(kUpToDateInfo));
    return true;
}

ToolsInterface* GenericPositionMode::clone(QString name, unsigned char motor, ZYRAModuleInterface* module)
{
    GenericPositionMode* tool = makeTool(std::move(name), motor, module);
    m_buttonIcons.share(tool);
    return tool;
}

GenericPositionMode* GenericPositionMode::makeTool(QString name, unsigned char motor, ZYRAModuleInterface* module) const
{
    // The register tools with a ramp panel get the module's first IC, looked
    // up before the tool exists and passed on as it is.
    switch (m_selectedVariant) {
    case PluginVariant::Zell: {
        XmlProductIC* ic = module ? module->getIcProduct(0) : nullptr;
        return new PositionMode_Zell(std::move(name), motor, module, m_selectedVariant, ic);
    }
    case PluginVariant::Orsax:
        return new PositionMode_Orsax(std::move(name), motor, module, m_selectedVariant);
    case PluginVariant::AxisParameter:
    case PluginVariant::LinearAxisParameter:
        return new PositionMode_AxisParameter(std::move(name), motor, module, m_selectedVariant);
    case PluginVariant::Veltrax: {
        XmlProductIC* ic = module ? module->getIcProduct(0) : nullptr;
        return new PositionMode_Veltrax(std::move(name), motor, module, m_selectedVariant, ic);
    }
    case PluginVariant::Veltrax_AP:
        return new PositionMode_Veltrax_AP(std::move(name), motor, module, m_selectedVariant);
    default:
        return new GenericPositionMode(std::move(name), motor, module, m_selectedVariant);
    }
}

void GenericPositionMode::IN_replyValue(Command* reply)
{
    if (!reply || reply->status() != Command::StatusOk)
        return;
    if (quint8(reply->address()) != moduleAddress())
        return;
    emit forward_IN_replyValue(reply);
}
