// SPDX-License-Identifier: MIT
#include "zyramoduleinterface.h"

#include "command.h"
#include "devicelink.h"
#include "excerpt.h"
#include "model/basexmlparameter.h"
#include "model/parametercontroller.h"
#include "model/productdescription.h"
#include "model/registercontroller.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "toolsinterface.h"

#include <QMetaMethod>

#include <algorithm>
#include <memory>

ZYRAModuleInterface::ZYRAModuleInterface(std::unique_ptr<ProductDescription> product, QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<Command*>("Command*");
    Q_ASSERT(product);
    m_product = product.release();
    m_product->setParent(this);
    setObjectName(m_product->name());
}

ZYRAModuleInterface::~ZYRAModuleInterface() = default;

XmlProductIC* ZYRAModuleInterface::getIcProduct(unsigned char index)
{
    return (index == 0 && m_product) ? m_product->ic() : nullptr;
}

XmlProductModule* ZYRAModuleInterface::getProductModule()
{
    return m_product ? m_product->productModule() : nullptr;
}

quint8 ZYRAModuleInterface::moduleAddress() const
{
    return m_product ? m_product->address() : 0;
}

ProductDescription* ZYRAModuleInterface::product() const
{
    return m_product;
}

Model::ParameterController* ZYRAModuleInterface::parameterController(quint8 motor)
{
    QPointer<Model::ParameterController>& controller = m_parameterControllers[motor];
    if (!controller && m_product)
        controller = new Model::ParameterController(*m_product, this, motor, this);
    return controller;
}

Model::RegisterController* ZYRAModuleInterface::registerController(quint8 channel)
{
    QPointer<Model::RegisterController>& controller = m_registerControllers[channel];
    if (!controller && m_product)
        controller = new Model::RegisterController(m_product->ic(), this, channel, this);
    return controller;
}

void ZYRAModuleInterface::readChannelRegister(XmlValueRegister* reg, unsigned char channel, int* value)
{
    if (!reg)
        return;
    DeviceAccess access(DeviceAccess::Read, channel);
    access.reg = reg;
    performRegisterRead(access);
    if (value)
        *value = int(access.registerValue);
}

void ZYRAModuleInterface::readChannelRegister(unsigned short address, unsigned char channel, int* value)
{
    DeviceAccess access(DeviceAccess::Read, channel);
    access.address = address;
    performRegisterRead(access);
    if (value)
        *value = int(access.registerValue);
}

void ZYRAModuleInterface::writeChannelRegister(XmlValueRegister* reg, unsigned char channel, int value)
{
    if (!reg)
        return;
    DeviceAccess access(DeviceAccess::Write, channel);
    access.reg = reg;
    access.value = value;
    perform(access);
    afterRegisterAccess(access, false);
}

void ZYRAModuleInterface::writeChannelField(XmlValueRegisterField* field, unsigned char channel, int value)
{
    writeField(field, channel, value);
}

void ZYRAModuleInterface::writeAndReadChannelField(XmlValueRegisterField* field, unsigned char channel, int value,
                                                   int* readBack)
{
    if (!field || !field->getRegister())
        return;
    writeField(field, channel, value);
    readChannelRegister(field->getRegister(), channel, readBack);
}

void ZYRAModuleInterface::updateRegisterInputBuffer(unsigned char channel, Command* reply, bool* ok)
{
    bool stored = false;
    const XmlProductIC* ic = getIcProduct(0);
    if (reply && ic && reply->command() == registerReadChannel()) {
        if (const XmlValueRegister* reg = ic->registerAt(quint16(reply->type()))) {
            if (Model::RegisterController* controller = registerController(channel))
                controller->takeRegisterValue(reg, quint32(reply->value()), true);
            stored = true;
        }
    }
    if (ok)
        *ok = stored;
}

qint64 ZYRAModuleInterface::readField(const XmlValueRegisterField* field, quint8 channel, DeviceAccess::Mode mode)
{
    if (!field || !field->getRegister())
        return 0;
    DeviceAccess access(DeviceAccess::Read, channel, mode);
    access.field = field;
    performRegisterRead(access);
    return access.result;
}

qint64 ZYRAModuleInterface::writeField(const XmlValueRegisterField* field, quint8 channel, qint64 value)
{
    if (!field || !field->getRegister())
        return 0;
    DeviceAccess access(DeviceAccess::Write, channel);
    access.field = field;
    access.value = value;
    perform(access);
    afterRegisterAccess(access, false);
    return access.result;
}

qint64 ZYRAModuleInterface::readParameter(const XmlParameterInterface* parameter, quint8 motor, DeviceAccess::Mode mode)
{
    if (!parameter)
        return 0;
    DeviceAccess access(DeviceAccess::Read, motor, mode);
    access.parameter = parameter;
    perform(access);
    if (Model::BaseXMLParameter* model = modelOf(parameter, motor))
        model->takeReadValue(access.result);
    return access.result;
}

qint64 ZYRAModuleInterface::writeParameter(const XmlParameterInterface* parameter, quint8 motor, qint64 value)
{
    if (!parameter)
        return value;
    DeviceAccess access(DeviceAccess::Write, motor);
    access.parameter = parameter;
    access.value = value;
    perform(access);
    if (Model::BaseXMLParameter* model = modelOf(parameter, motor))
        model->takeWrittenValue(access.result);
    return access.result;
}

Model::BaseXMLParameter* ZYRAModuleInterface::modelOf(const XmlParameterInterface* parameter, quint8 motor)
{
    Model::ParameterController* controller = parameterController(motor);
    return controller ? controller->parameterOf(parameter) : nullptr;
}

void ZYRAModuleInterface::moveToPosition(quint8 motor, int position)
{
    DeviceAccess access(DeviceAccess::Move, motor);
    access.value = position;
    perform(access);
}

void ZYRAModuleInterface::refreshValue(const QObject* item, quint8 motor)
{
    if (const auto* parameter = qobject_cast<const XmlParameterInterface*>(item)) {
        readParameter(parameter, motor, DeviceAccess::Silent);
    } else if (const auto* field = qobject_cast<const XmlValueRegisterField*>(item)) {
        readField(field, motor, DeviceAccess::Silent);
    } else if (const auto* reg = qobject_cast<const XmlValueRegister*>(item)) {
        DeviceAccess access(DeviceAccess::Read, motor, DeviceAccess::Silent);
        access.reg = reg;
        performRegisterRead(access);
    }
}

bool ZYRAModuleInterface::poll(quint8 motor, const QString& name, QString* error)
{
    const QObject* item = m_product ? m_product->named(name).first() : nullptr;
    if (!item) {
        if (error)
            *error = QStringLiteral("the module has no register, field or parameter \"%1\"").arg(Excerpt::of(name));
        return false;
    }
    refreshValue(item, motor);
    return true;
}

void ZYRAModuleInterface::refreshTraces()
{
    const QList<ToolsInterface*> all = tools();
    for (ToolsInterface* tool : all)
        tool->refreshTraces();
}

void ZYRAModuleInterface::noteTrace(DeviceAccess::Operation operation, const QObject* item, quint8 motor)
{
    DeviceAccess access(operation, motor);
    access.parameter = qobject_cast<const XmlParameterInterface*>(item);
    access.field = qobject_cast<const XmlValueRegisterField*>(item);
    access.reg = qobject_cast<const XmlValueRegister*>(item);
    perform(access);
}

void ZYRAModuleInterface::attachTool(ToolsInterface* tool)
{
    if (tool && !m_tools.contains(tool))
        m_tools.append(tool);
}

void ZYRAModuleInterface::detachTool(ToolsInterface* tool)
{
    m_tools.removeAll(tool);
    // Its replies go nowhere now; those of tools already gone neither.
    const auto gone = [tool](const PendingReply& pending) { return !pending.tool || pending.tool == tool; };
    m_replies.erase(std::remove_if(m_replies.begin(), m_replies.end(), gone), m_replies.end());
}

QList<ToolsInterface*> ZYRAModuleInterface::tools() const
{
    QList<ToolsInterface*> live;
    for (const QPointer<ToolsInterface>& tool : m_tools) {
        if (tool)
            live.append(tool);
    }
    return live;
}

void ZYRAModuleInterface::exportValue(const export_type_t* key, const QVariant& value)
{
    const QList<ToolsInterface*> receivers = tools();
    for (ToolsInterface* tool : receivers)
        tool->offerImport(key, value, this);
}

void ZYRAModuleInterface::perform(DeviceAccess& access)
{
    if (m_link)
        m_link->perform(access);
}

void ZYRAModuleInterface::performRegisterRead(DeviceAccess& access)
{
    perform(access);
    afterRegisterAccess(access, true);
}

void ZYRAModuleInterface::afterRegisterAccess(const DeviceAccess& access, bool isRead)
{
    const XmlValueRegister* reg = access.touchedRegister;
    if (reg) {
        if (Model::RegisterController* controller = registerController(access.motor))
            controller->takeRegisterValue(reg, access.registerValue, isRead);
    }
    if (isRead)
        postReply(reg ? reg->address() : access.address, access.motor, int(access.registerValue));
}

void ZYRAModuleInterface::postReply(quint16 registerAddress, quint8 channel, int value)
{
    const auto reply = std::make_shared<Command>(Command::StatusOk, moduleAddress(), registerReadChannel(),
                                                 registerAddress, channel, value);
    const QList<ToolsInterface*> receivers = tools();
    for (ToolsInterface* tool : receivers)
        m_replies.append({tool, reply});
    if (!m_replies.isEmpty())
        postDelivery();
}

void ZYRAModuleInterface::postDelivery()
{
    if (!m_eventLoopDelivers || m_deliveryPosted)
        return;
    m_deliveryPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_deliveryPosted = false;
            if (m_eventLoopDelivers)
                deliverReplies();
        },
        Qt::QueuedConnection);
}

void ZYRAModuleInterface::setRepliesDeliveredByEventLoop(bool on)
{
    m_eventLoopDelivers = on;
    if (on && !m_replies.isEmpty())
        postDelivery();
}

void ZYRAModuleInterface::deliverReplies()
{
    QVector<PendingReply> batch;
    batch.swap(m_replies);
    for (const PendingReply& pending : qAsConst(batch)) {
        // Queued like a reply from the wire; the slot is found by its signature,
        // so a tool's own IN_replyValue takes the place of its base's.
        ToolsInterface* tool = pending.tool;
        if (!tool)
            continue;
        const QMetaObject* meta = tool->metaObject();
        const int index = meta->indexOfSlot("IN_replyValue(Command*)");
        if (index >= 0)
            meta->method(index).invoke(tool, Qt::DirectConnection, Q_ARG(Command*, pending.reply.get()));
    }
}
