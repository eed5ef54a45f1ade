#pragma once

#include "core/zyramoduleinterface.h"
#include "journal.h"
#include "model/productdescription.h"
#include "simulateddevice.h"

#include <QHash>
#include <QPointer>

#include <memory>

// A module of one simulated product: the host's module interface, the model
// objects of each motor, and the single device port through which every
// access reaches the simulated device and is recorded in the journal.
class SimulatedModule : public ZYRAModuleInterface
{
    Q_OBJECT

public:
    explicit SimulatedModule(std::unique_ptr<ProductDescription> product, QObject* parent = nullptr);
    ~SimulatedModule() override;

    // A module of one of the host's built-in products; null and `error` set
    // when there is none or its file is bad.
    static std::unique_ptr<SimulatedModule> create(int variant, QString* error);

    XmlProductIC* getIcProduct(unsigned char index) override;
    XmlProductModule* getProductModule() override;
    quint8 moduleAddress() const override;
    Model::ParameterController* parameterController(quint8 motor) override;
    Model::RegisterController* registerController(quint8 channel) override;

    ProductDescription* product() const { return m_product; }
    SimulatedDevice* device() const { return m_device; }
    Journal* journal() const { return m_journal; }

    // One trace refresh of every tool of this module.
    void refreshTraces();
    // The host itself reads a register, field or parameter role, as another
    // view of the IDE would: not journaled, but the model follows it.
    bool poll(quint8 motor, const QString& name, QString* error = nullptr);
    // Hides the product module from the tools (getProductModule() gives null),
    // as on a host that could not load it.
    void setProductModuleHidden(bool hidden) { m_productModuleHidden = hidden; }

protected:
    void perform(DeviceAccess& access) override;

private:
    void record(const DeviceAccess& access, const QString& text);
    QString registerName(const XmlValueRegister* reg, quint16 address) const;

    QPointer<ProductDescription> m_product;
    QPointer<SimulatedDevice> m_device;
    QPointer<Journal> m_journal;
    QHash<quint8, QPointer<Model::ParameterController>> m_parameterControllers;
    QHash<quint8, QPointer<Model::RegisterController>> m_registerControllers;
    bool m_productModuleHidden = false;
};
