// SPDX-License-Identifier: MIT
#pragma once

#include "hostenums.h"
#include "plugininterface.h"
#include "zyramoduleinterface.h"

#include <QList>
#include <QPointer>

class XmlParameterInterface;
class XmlValueInterface;

namespace Model {
class ParameterController;
class RegisterController;
} // namespace Model

// Base of every tool window: which module and motor it works on, its traces
// (values the host keeps current while the tool is shown), and the operations
// the host calls on a tool.
class ToolsInterface : public PluginInterface
{
    Q_OBJECT
    Q_PROPERTY(QString toolsName READ toolsName NOTIFY toolsNameChanged)
    Q_PROPERTY(int toolsVariant READ toolsVariant CONSTANT)
    Q_PROPERTY(int motorNumber READ motorNumber CONSTANT)
    Q_PROPERTY(bool toolVisible READ toolVisible NOTIFY toolVisibilityChanged)
    Q_PROPERTY(bool linearAxis READ isLinearAxis)

public:
    ToolsInterface(const QString& name, const QString& title, ToolsType::Types type, int variant, unsigned char motor,
                   ZYRAModuleInterface* module, const QString& icon, QWidget* parent);
    // The form a plug-in's root uses: it serves no particular variant.
    ToolsInterface(const QString& name, const QString& title, ToolsType::Types type, unsigned char motor,
                   ZYRAModuleInterface* module, const QString& icon, QWidget* parent);
    ~ToolsInterface() override;

    ZYRAModuleInterface* module() const { return m_module; }
    unsigned char motorNumber() const { return m_motor; }
    int toolsVariant() const { return m_variant; }
    ToolsType::Types toolsType() const { return m_type; }
    quint8 moduleAddress() const;
    // The module's parameters and register fields for this tool's motor; null without a module.
    Model::ParameterController* controller() const;
    Model::RegisterController* registerController() const;

    QString toolsName() const { return m_toolsName; }
    void setToolsName(const QString& name);

    void setLinearAxis(bool linear) { m_linearAxis = linear; }
    bool isLinearAxis() const { return m_linearAxis; }

    // The host keeps traced values current while they are traced: whenever
    // refreshTraces() is called (the host application does so on its clock).
    void addTrace(XmlValueInterface* value, int mode);
    void addTrace(XmlParameterInterface* parameter);
    void removeTrace(XmlParameterInterface* parameter);
    void removeAllTraces();
    int traceCount() const;
    void refreshTraces();

    // Moves this tool's motor to an absolute position.
    void doMoveToPosition(int position);

    // The host shows or hides the tool; the last value given is kept.
    void updateToolVisibility(bool visible);
    bool toolVisible() const { return m_toolVisible; }

public slots:
    virtual QWidget* subWidget(int id);
    virtual void updateSubWidgetValues(int id);
    virtual void registerSubWidgetTraces(int id);
    virtual void unRegisterSubWidgetTraces(int id);
    virtual ToolsInterface* clone(QString name, unsigned char motor, ZYRAModuleInterface* module);
    virtual void handleMessageFromToolsPlugin(int id, QString message);
    virtual void handleChangedParameterList();
    virtual void showStatusMessage(const QString& message, int timeout);

signals:
    void toolsNameChanged(const QString& name);
    void toolVisibilityChanged(bool visible);

protected:
    // The host's tool base takes the timer events first; it starts no timer
    // of its own, so they all go on to the tool.
    void timerEvent(QTimerEvent* event) override;

private:
    ToolsType::Types m_type;
    int m_variant = PluginVariant::UNKNOWN;
    unsigned char m_motor = 0;
    QPointer<ZYRAModuleInterface> m_module;
    QString m_toolsName;
    bool m_linearAxis = false;
    bool m_toolVisible = true;
    QList<QPointer<QObject>> m_traces;
};

Q_DECLARE_INTERFACE(ToolsInterface, "com.kessa.ToolsInterface/2.0")
