// SPDX-License-Identifier: MIT
#include "simulatedmodule.h"

#include "journal.h"
#include "journallink.h"
#include "products/simulatedproduct.h"
#include "simulateddevice.h"

SimulatedModule::SimulatedModule(std::unique_ptr<SimulatedProduct> product, QObject* parent)
    : ZYRAModuleInterface(std::move(product->description), parent)
{
    m_device = new SimulatedDevice(*this->product(), product->motion, this);
    m_journal = new Journal(this);
    const QPointer<SimulatedDevice> device = m_device;
    m_link = std::make_unique<JournalLink>(*m_device, m_journal, [device] { return device ? device->timeMs() : 0; });
    setDeviceLink(m_link.get());
    // Whoever deletes the device cuts the module off from it.
    connect(m_device, &QObject::destroyed, this, [this] { setDeviceLink(nullptr); });
}

SimulatedModule::~SimulatedModule()
{
    setDeviceLink(nullptr);
}

XmlProductModule* SimulatedModule::getProductModule()
{
    return m_productModuleHidden ? nullptr : ZYRAModuleInterface::getProductModule();
}

SimulatedDevice* SimulatedModule::device() const
{
    return m_device;
}

Journal* SimulatedModule::journal() const
{
    return m_journal;
}

const MotionWiring& SimulatedModule::motion() const
{
    static const MotionWiring none;
    return m_device ? m_device->motion() : none;
}
