// SPDX-License-Identifier: MIT
#pragma once

#include "core/toolsinterface.h"
#include "device/journal.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "model/productdescription.h"
#include "products/simulatedproduct.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class GenericPositionMode;
class QAbstractButton;

// A simulated module of one product, the plug-in's root, and the tool opened
// through the root as the host opens it. Widgets are found by object name and
// driven as a user drives them; the journal tells what reached the device.
class Fixture
{
public:
    // The built-in product of `variant`.
    explicit Fixture(int variant);
    // A product read from `xml` (see productXml and withoutNamed to make one).
    Fixture(const QByteArray& xml, const QString& source);
    ~Fixture();

    static QByteArray productXml(int variant);
    // A module of the built-in product alone, without a plug-in.
    static std::unique_ptr<SimulatedModule> makeModule(int variant);
    // One data row per product variant the plug-in serves, in column "variant".
    static void addVariantRows();
    // The product text without the elements whose attribute `name`, `role` or
    // `register` is `value`, and without motion wiring that names it.
    static QByteArray withoutNamed(QByteArray xml, const QString& value);

    // Null once destroyModule() has run.
    SimulatedModule* module() const { return m_module.get(); }
    SimulatedDevice* device() const;
    GenericPositionMode* root() const { return m_root.get(); }
    // isUsableForVariant(the product's variant), then clone("Position mode", motor, module);
    // without a module as a host that lost its connection.
    ToolsInterface* open(quint8 motor = 0, bool withModule = true);
    ToolsInterface* tool() const { return m_tool; }

    template <class T = QWidget>
    T* find(const QString& name) const
    {
        return m_tool ? m_tool->findChild<T*>(name) : nullptr;
    }

    // What reached the device since the last call.
    QStringList journal();
    void dropJournal() { journal(); }

    // Deletes the module under the open tool, as a host that drops a
    // connection does; the journal outlives it so that what reached the
    // device before stays readable and nothing can be added after.
    void destroyModule();

    // As a user who tries everything: every enabled button clicked, every
    // checkable group switched off and on, a target typed, both relative
    // bases chosen, the window shown, refreshed and hidden, replies delivered.
    void pressEverything();

    // Shows the tool window, then calls showPlugin(); hidePlugin(), then hides it.
    void show();
    void hide();
    // One trace refresh of the module's tools, then the replies it produced.
    void refresh();
    // Delivers the replies waiting for the tools, with every other posted event.
    static void deliver();
    // Hands a reply to a tool as the host does: through the slot of that signature.
    static void reply(ToolsInterface* tool, int command, int type, quint8 motor, int value);

    // As a user: click a button; type a number into a spin box and press Enter;
    // pick a combo box entry by text; check or uncheck a checkable button or group.
    bool click(const QString& name);
    bool type(const QString& name, int value);
    bool choose(const QString& name, const QString& text);
    bool check(const QString& name, bool on);

    // Motor 0 put into position mode inside the device; the ramp it then follows.
    RampGenerator::Settings positionModeRamp();

    // Inside the device, not journaled.
    void setDevice(const QString& name, qint64 value, quint8 motor = 0);
    qint64 deviceValue(const QString& name, quint8 motor = 0) const;

private:
    std::unique_ptr<SimulatedModule> m_module;
    std::unique_ptr<Journal> m_orphanJournal;
    std::unique_ptr<GenericPositionMode> m_root;
    QPointer<ToolsInterface> m_tool;
};
