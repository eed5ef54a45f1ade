// SPDX-License-Identifier: MIT
#include "toolsinterface.h"

#include "model/xmlparameterinterface.h"
#include "model/xmlvalueinterface.h"
#include "zyramoduleinterface.h"

ToolsInterface::ToolsInterface(const QString& name, const QString& title, ToolsType::Types type, int variant,
                               unsigned char motor, ZYRAModuleInterface* module, const QString& icon, QWidget* parent)
    : PluginInterface(name, title, icon, parent)
    , m_type(type)
    , m_variant(variant)
    , m_motor(motor)
    , m_module(module)
    , m_toolsName(name)
{
    if (module)
        module->attachTool(this);
}

ToolsInterface::ToolsInterface(const QString& name, const QString& title, ToolsType::Types type, unsigned char motor,
                               ZYRAModuleInterface* module, const QString& icon, QWidget* parent)
    : ToolsInterface(name, title, type, PluginVariant::UNKNOWN, motor, module, icon, parent)
{
}

ToolsInterface::~ToolsInterface()
{
    if (m_module)
        m_module->detachTool(this);
}

quint8 ToolsInterface::moduleAddress() const
{
    return m_module ? m_module->moduleAddress() : 0;
}

Model::ParameterController* ToolsInterface::controller() const
{
    return m_module ? m_module->parameterController(m_motor) : nullptr;
}

Model::RegisterController* ToolsInterface::registerController() const
{
    return m_module ? m_module->registerController(m_motor) : nullptr;
}

void ToolsInterface::setToolsName(const QString& name)
{
    if (m_toolsName == name)
        return;
    m_toolsName = name;
    emit toolsNameChanged(name);
}

void ToolsInterface::addTrace(XmlValueInterface* value, int)
{
    if (!value)
        return;
    if (!m_traces.contains(value))
        m_traces.append(value);
    if (m_module)
        m_module->noteTrace(DeviceAccess::Trace, value, m_motor);
}

void ToolsInterface::addTrace(XmlParameterInterface* parameter)
{
    if (!parameter)
        return;
    if (!m_traces.contains(parameter))
        m_traces.append(parameter);
    if (m_module)
        m_module->noteTrace(DeviceAccess::Trace, parameter, m_motor);
}

void ToolsInterface::removeTrace(XmlParameterInterface* parameter)
{
    if (!parameter)
        return;
    m_traces.removeAll(parameter);
    if (m_module)
        m_module->noteTrace(DeviceAccess::Untrace, parameter, m_motor);
}

void ToolsInterface::removeAllTraces()
{
    m_traces.clear();
    if (m_module)
        m_module->noteTrace(DeviceAccess::UntraceAll, nullptr, m_motor);
}

int ToolsInterface::traceCount() const
{
    int count = 0;
    for (const QPointer<QObject>& item : m_traces)
        count += item ? 1 : 0;
    return count;
}

void ToolsInterface::refreshTraces()
{
    if (!m_module)
        return;
    // A copy: a refresh may make the tool change its traces.
    const QList<QPointer<QObject>> traces = m_traces;
    for (const QPointer<QObject>& item : traces) {
        if (item && m_module)
            m_module->refreshValue(item, m_motor);
    }
}

void ToolsInterface::timerEvent(QTimerEvent* event)
{
    PluginInterface::timerEvent(event);
}

void ToolsInterface::doMoveToPosition(int position)
{
    if (m_module)
        m_module->moveToPosition(m_motor, position);
}

void ToolsInterface::updateToolVisibility(bool visible)
{
    if (m_toolVisible == visible)
        return;
    m_toolVisible = visible;
    emit toolVisibilityChanged(visible);
}

QWidget* ToolsInterface::subWidget(int)
{
    return nullptr;
}

void ToolsInterface::updateSubWidgetValues(int)
{
}

void ToolsInterface::registerSubWidgetTraces(int)
{
}

void ToolsInterface::unRegisterSubWidgetTraces(int)
{
}

ToolsInterface* ToolsInterface::clone(QString, unsigned char, ZYRAModuleInterface*)
{
    return nullptr;
}

void ToolsInterface::handleMessageFromToolsPlugin(int, QString)
{
}

void ToolsInterface::handleChangedParameterList()
{
}

void ToolsInterface::showStatusMessage(const QString&, int)
{
}
