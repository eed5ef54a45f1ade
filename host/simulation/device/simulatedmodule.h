// SPDX-License-Identifier: MIT
#pragma once

#include "core/zyramoduleinterface.h"

#include <QPointer>

#include <memory>

class Journal;
class JournalLink;
class SimulatedDevice;
struct MotionWiring;
struct SimulatedProduct;

// A module of one simulated product: the host's module interface on a
// simulated device, with a journal around the link between them.
class SimulatedModule : public ZYRAModuleInterface
{
    Q_OBJECT

public:
    explicit SimulatedModule(std::unique_ptr<SimulatedProduct> product, QObject* parent = nullptr);
    ~SimulatedModule() override;

    XmlProductModule* getProductModule() override;

    SimulatedDevice* device() const;
    Journal* journal() const;
    const MotionWiring& motion() const;

    // Hides the product module from the tools (getProductModule() gives null),
    // as on a host that could not load it.
    void setProductModuleHidden(bool hidden) { m_productModuleHidden = hidden; }

private:
    QPointer<SimulatedDevice> m_device;
    QPointer<Journal> m_journal;
    std::unique_ptr<JournalLink> m_link;
    bool m_productModuleHidden = false;
};
