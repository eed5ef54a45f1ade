#pragma once

#include "deviceaccess.h"
#include "exporttypes.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariant>

class Command;
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

// The host's face of one connected module. Tools use the channel-register
// operations below; the host's model objects and the tool base use the
// host-side operations. Every one of them ends in perform(), the single
// device port, which a concrete module implements.
class ZYRAModuleInterface : public QObject
{
    Q_OBJECT

public:
    static constexpr int RegisterReadCommand = 150;

    explicit ZYRAModuleInterface(QObject* parent = nullptr);
    ~ZYRAModuleInterface() override;

    virtual XmlProductIC* getIcProduct(unsigned char index) = 0;
    virtual XmlProductModule* getProductModule() = 0;
    virtual quint8 moduleAddress() const = 0;

    void readChannelRegister(XmlValueRegister* reg, unsigned char channel, int* value);
    void readChannelRegister(unsigned short address, unsigned char channel, int* value);
    void writeChannelRegister(XmlValueRegister* reg, unsigned char channel, int value);
    void writeChannelField(XmlValueRegisterField* field, unsigned char channel, int value);
    // A field write followed by a read of the field's register; readBack (may be
    // null) receives the whole register.
    void writeAndReadChannelField(XmlValueRegisterField* field, unsigned char channel, int value,
                                  int* readBack);
    // Command code carried by replies to register reads.
    int registerReadChannel() const { return RegisterReadCommand; }
    // Stores a register-read reply in the host's register model; ok (may be
    // null) tells whether the reply named a register of the IC.
    void updateRegisterInputBuffer(unsigned char channel, Command* reply, bool* ok);

    // Host side.
    virtual Model::ParameterController* parameterController(quint8 motor) = 0;
    virtual Model::RegisterController* registerController(quint8 channel) = 0;

    qint64 readField(const XmlValueRegisterField* field, quint8 channel, DeviceAccess::Mode mode);
    qint64 writeField(const XmlValueRegisterField* field, quint8 channel, qint64 value);
    qint64 readParameter(const XmlParameterInterface* parameter, quint8 motor, DeviceAccess::Mode mode);
    // Returns the value the device kept, which may differ from the one written.
    qint64 writeParameter(const XmlParameterInterface* parameter, quint8 motor, qint64 value);
    void moveToPosition(quint8 motor, int position);
    // Reads a register, field or parameter silently so that the model follows it,
    // as the host's trace timer and other views of the IDE do.
    void refreshValue(const QObject* item, quint8 motor);
    void noteTrace(DeviceAccess::Operation operation, const QObject* item, quint8 motor);

    // Tools of this module: they receive its replies and exports.
    void attachTool(ToolsInterface* tool);
    void detachTool(ToolsInterface* tool);
    QList<ToolsInterface*> tools() const;
    // Passes a value the host exports from this module to every tool, through
    // the tool's import filters.
    void exportValue(const export_type_t* key, const QVariant& value);

signals:
    // A reply was posted for the module's tools (emitted when it is posted).
    void replyPosted(int registerAddress, quint8 channel, int value);

protected:
    // The single device port: performs the access on the device, records it,
    // and fills in the access's out values.
    virtual void perform(DeviceAccess& access) = 0;

private:
    void performRegisterRead(DeviceAccess& access);
    void afterRegisterAccess(const DeviceAccess& access, bool isRead);
    // The motor's model object of a parameter description, which follows every access to it.
    Model::BaseXMLParameter* modelOf(const XmlParameterInterface* parameter, quint8 motor);
    void postReply(quint16 registerAddress, quint8 channel, int value);

    QList<QPointer<ToolsInterface>> m_tools;
};
