#include "simulatedmodule.h"

#include "core/toolsinterface.h"
#include "journal.h"
#include "model/parametercontroller.h"
#include "model/productdescription.h"
#include "model/registercontroller.h"
#include "model/xmlparameterinterface.h"
#include "model/xmlproductic.h"
#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "simulateddevice.h"

SimulatedModule::SimulatedModule(std::unique_ptr<ProductDescription> product, QObject* parent)
    : ZYRAModuleInterface(parent)
{
    Q_ASSERT(product);
    m_product = product.release();
    m_product->setParent(this);
    m_device = new SimulatedDevice(*m_product, this);
    m_journal = new Journal(this);
    setObjectName(m_product->name());
}

SimulatedModule::~SimulatedModule() = default;

std::unique_ptr<SimulatedModule> SimulatedModule::create(int variant, QString* error)
{
    std::unique_ptr<ProductDescription> product = ProductDescription::builtIn(variant, error);
    if (!product)
        return nullptr;
    return std::make_unique<SimulatedModule>(std::move(product));
}

XmlProductIC* SimulatedModule::getIcProduct(unsigned char index)
{
    return (index == 0 && m_product) ? m_product->ic() : nullptr;
}

XmlProductModule* SimulatedModule::getProductModule()
{
    return (m_product && !m_productModuleHidden) ? m_product->productModule() : nullptr;
}

quint8 SimulatedModule::moduleAddress() const
{
    return m_product ? m_product->address() : 0;
}

Model::ParameterController* SimulatedModule::parameterController(quint8 motor)
{
    QPointer<Model::ParameterController>& controller = m_parameterControllers[motor];
    if (!controller && m_product)
        controller = new Model::ParameterController(*m_product, this, motor, this);
    return controller;
}

Model::RegisterController* SimulatedModule::registerController(quint8 channel)
{
    QPointer<Model::RegisterController>& controller = m_registerControllers[channel];
    if (!controller && m_product)
        controller = new Model::RegisterController(m_product->ic(), this, channel, this);
    return controller;
}

void SimulatedModule::refreshTraces()
{
    const QList<ToolsInterface*> all = tools();
    for (ToolsInterface* tool : all)
        tool->refreshTraces();
}

bool SimulatedModule::poll(quint8 motor, const QString& name, QString* error)
{
    const XmlProductIC* ic = m_product ? m_product->ic() : nullptr;
    const QObject* item = nullptr;
    if (ic)
        item = ic->getRegisterByName(name, true);
    if (!item && ic)
        item = ic->getRegisterFieldByName(name, true);
    if (!item && m_product)
        item = m_product->parameter(name);
    if (!item) {
        if (error)
            *error = QStringLiteral("the module has no register, field or parameter \"%1\"").arg(name);
        return false;
    }
    refreshValue(item, motor);
    return true;
}

void SimulatedModule::perform(DeviceAccess& access)
{
    if (!m_device || !m_product)
        return;
    SimulatedDevice& device = *m_device;
    const quint8 motor = access.motor;

    switch (access.operation) {
    case DeviceAccess::Read:
        if (access.parameter) {
            access.result = device.readParameter(motor, *access.parameter);
            record(access, QStringLiteral("read parameter %1 -> %2").arg(access.parameter->role()).arg(access.result));
        } else if (access.field) {
            access.touchedRegister = access.field->getRegister();
            if (!access.touchedRegister)
                return;
            access.registerValue = device.readRegister(motor, access.touchedRegister->address());
            access.result = access.field->getFieldValue(access.registerValue);
            record(access, QStringLiteral("read field %1 -> %2").arg(access.field->name()).arg(qint32(access.result)));
        } else {
            access.touchedRegister = access.reg;
            if (!access.touchedRegister && m_product->ic())
                access.touchedRegister = m_product->ic()->registerAt(access.address);
            const quint16 address = access.reg ? access.reg->address() : access.address;
            access.registerValue = device.readRegister(motor, address);
            access.result = qint32(access.registerValue);
            record(access, QStringLiteral("read register %1 -> %2")
                               .arg(registerName(access.touchedRegister, address))
                               .arg(qint32(access.registerValue)));
        }
        break;
    case DeviceAccess::Write:
        if (access.parameter) {
            access.result = device.writeParameter(motor, *access.parameter, access.value);
            record(access, QStringLiteral("write parameter %1 %2").arg(access.parameter->role()).arg(access.value));
        } else if (access.field) {
            access.touchedRegister = access.field->getRegister();
            if (!access.touchedRegister)
                return;
            const quint16 address = access.touchedRegister->address();
            device.writeRegister(motor, address,
                                 access.field->insertFieldValue(device.readRegister(motor, address), access.value));
            access.registerValue = device.readRegister(motor, address);
            access.result = access.field->getFieldValue(access.registerValue);
            record(access, QStringLiteral("write field %1 %2").arg(access.field->name()).arg(qint32(access.value)));
        } else if (access.reg) {
            access.touchedRegister = access.reg;
            device.writeRegister(motor, access.reg->address(), quint32(quint64(access.value)));
            access.registerValue = device.readRegister(motor, access.reg->address());
            access.result = qint32(access.registerValue);
            record(access, QStringLiteral("write register %1 %2").arg(access.reg->name()).arg(qint32(access.value)));
        }
        break;
    case DeviceAccess::Move:
        device.moveTo(motor, qint32(access.value));
        record(access, QStringLiteral("move %1").arg(qint32(access.value)));
        break;
    case DeviceAccess::Trace:
    case DeviceAccess::Untrace: {
        QString name;
        if (access.parameter)
            name = access.parameter->role();
        else if (access.field)
            name = access.field->name();
        else if (access.reg)
            name = access.reg->name();
        const char* verb = access.operation == DeviceAccess::Trace ? "trace" : "untrace";
        record(access, QStringLiteral("%1 %2").arg(QLatin1String(verb), name));
        break;
    }
    case DeviceAccess::UntraceAll:
        record(access, QStringLiteral("untrace all"));
        break;
    }
}

void SimulatedModule::record(const DeviceAccess& access, const QString& text)
{
    if (access.mode == DeviceAccess::Journaled && m_journal)
        m_journal->append(m_device ? m_device->timeMs() : 0, access.motor, text);
}

QString SimulatedModule::registerName(const XmlValueRegister* reg, quint16 address) const
{
    if (reg)
        return reg->name();
    return QStringLiteral("0x") + QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}
