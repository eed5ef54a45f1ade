// SPDX-License-Identifier: MIT
#pragma once

#include "deviceaccess.h"
#include "exporttypes.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QVector>

#include <memory>

class Command;
class DeviceLink;
class ProductDescription;
class ToolsInterface;
class XmlParameterInterface;
class XmlProductIC;
class XmlProductModule;
class XmlValueInterface;
class XmlValueRegister;
class XmlValueRegisterField;

namespace Model {
class BaseXMLParameter;
class ParameterController;
class RegisterController;
} // namespace Model

// The host's face of one connected module: its product, the model objects of
// each motor, and its tools. Tools use the channel-register operations below;
// the host's model objects and the tool base use the host-side operations.
// Every one of them ends in the module's device link, the single device port.
class ZYRAModuleInterface : public QObject
{
    Q_OBJECT

public:
    static constexpr int RegisterReadCommand = 150;

    // Takes the product the module is (owned, a child of the module).
    explicit ZYRAModuleInterface(std::unique_ptr<ProductDescription> product, QObject* parent = nullptr);
    ~ZYRAModuleInterface() override;

    virtual XmlProductIC* getIcProduct(unsigned char index);
    virtual XmlProductModule* getProductModule();
    virtual quint8 moduleAddress() const;

    void readChannelRegister(XmlValueRegister* reg, unsigned char channel, int* value);
    void readChannelRegister(unsigned short address, unsigned char channel, int* value);
    void writeChannelRegister(XmlValueRegister* reg, unsigned char channel, int value);
    void writeChannelField(XmlValueRegisterField* field, unsigned char channel, int value);
    // A field write followed by a read of the field's register; readBack (may be
    // null) receives the whole register.
    void writeAndReadChannelField(XmlValueRegisterField* field, unsigned char channel, int value, int* readBack);
    // Command code carried by replies to register reads.
    int registerReadChannel() const { return RegisterReadCommand; }
    // Stores a register-read reply in the host's register model; ok (may be
    // null) tells whether the reply named a register of the IC.
    void updateRegisterInputBuffer(unsigned char channel, Command* reply, bool* ok);

    // Host side.
    ProductDescription* product() const;
    // The model objects of a motor (a channel of the IC), made on first use.
    Model::ParameterController* parameterController(quint8 motor);
    Model::RegisterController* registerController(quint8 channel);
    // Where the module's accesses go; not owned, null drops them.
    void setDeviceLink(DeviceLink* link) { m_link = link; }

    qint64 readField(const XmlValueRegisterField* field, quint8 channel, DeviceAccess::Mode mode);
    qint64 writeField(const XmlValueRegisterField* field, quint8 channel, qint64 value);
    qint64 readParameter(const XmlParameterInterface* parameter, quint8 motor, DeviceAccess::Mode mode);
    // Returns the value the device kept, which may differ from the one written.
    qint64 writeParameter(const XmlParameterInterface* parameter, quint8 motor, qint64 value);
    void moveToPosition(quint8 motor, int position);
    // Reads a register, field or parameter silently so that the model follows it,
    // as the host's trace timer and other views of the IDE do.
    void refreshValue(const QObject* item, quint8 motor);
    // The host itself reads a register, field or parameter role by name, as
    // another view of the IDE would: silently, but the model follows it.
    bool poll(quint8 motor, const QString& name, QString* error = nullptr);
    // One trace refresh of every tool of this module.
    void refreshTraces();
    void noteTrace(DeviceAccess::Operation operation, const QObject* item, quint8 motor);

    // Tools of this module: they receive its replies and exports.
    void attachTool(ToolsInterface* tool);
    void detachTool(ToolsInterface* tool);
    QList<ToolsInterface*> tools() const;
    // Passes a value the host exports from this module to every tool, through
    // the tool's import filters.
    void exportValue(const export_type_t* key, const QVariant& value);

    // Replies to register reads wait in the module's queue, in the order they
    // were made, until they are delivered: by the event loop, which gets one
    // posted call per batch, or here. Replies made while delivering wait for
    // the next delivery.
    void deliverReplies();
    // Whether the event loop delivers the queued replies on its own (the
    // default). A script turns it off and delivers them where its commands
    // say, so that they never pile up among Qt's posted events.
    void setRepliesDeliveredByEventLoop(bool on);
    int pendingReplies() const { return m_replies.size(); }

private:
    void perform(DeviceAccess& access);
    void performRegisterRead(DeviceAccess& access);
    void afterRegisterAccess(const DeviceAccess& access, bool isRead);
    // The motor's model object of a parameter description, which follows every access to it.
    Model::BaseXMLParameter* modelOf(const XmlParameterInterface* parameter, quint8 motor);
    void postReply(quint16 registerAddress, quint8 channel, int value);
    void postDelivery();

    QPointer<ProductDescription> m_product;
    DeviceLink* m_link = nullptr;
    QHash<quint8, QPointer<Model::ParameterController>> m_parameterControllers;
    QHash<quint8, QPointer<Model::RegisterController>> m_registerControllers;
    QList<QPointer<ToolsInterface>> m_tools;

    struct PendingReply
    {
        QPointer<ToolsInterface> tool;
        std::shared_ptr<Command> reply; // one Command for every tool it goes to
    };
    QVector<PendingReply> m_replies;
    bool m_eventLoopDelivers = true;
    bool m_deliveryPosted = false; // a call to deliverReplies() waits in the event loop
};
