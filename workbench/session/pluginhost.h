// SPDX-License-Identifier: MIT
#pragma once

#include "core/exporttypes.h"
#include "productcatalog.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <memory>

class QPluginLoader;
class SimulatedModule;
class ToolsInterface;

// What the host IDE does with a tool plug-in: loads the plug-in file, asks
// its root whether it serves the connected product, clones a tool for a motor
// of the product's module, and passes host exports to the module's tools.
// It owns the module and the open tools, at most one per motor; one of them
// is the current tool, the one the user or a script is working with.
class PluginHost : public QObject
{
    Q_OBJECT

public:
    static constexpr char ToolName[] = "Position mode";

    explicit PluginHost(ProductCatalog catalog, QObject* parent = nullptr);
    ~PluginHost() override;

    // Where the plug-in is, relative to the executable: "plugins" beside the
    // executable's directory (the build layout), else the install layout's.
    static QString defaultPluginDirectory();
    // Whether `object` is a tool or lies inside one (its timers are the tool's).
    static bool isInTool(const QObject* object);
    // Loads the plug-in file from `directory` and takes its root.
    bool load(const QString& directory, QString* error);
    QString pluginFile() const;
    ToolsInterface* root() const;

    const ProductCatalog& catalog() const { return m_catalog; }
    // Closes the open tools and connects a fresh module of the product.
    bool openProduct(int variant, QString* error);
    SimulatedModule* module() const { return m_module.get(); }
    int variant() const { return m_variant; }

    // isUsableForVariant(the product's code), then clone(ToolName, motor, module).
    // The new tool replaces the tool of the same motor and becomes the
    // current tool; the tools of other motors stay open.
    ToolsInterface* openTool(quint8 motor, QString* error);
    // Closes the tool of `motor`, if one is open. When it was the current
    // tool, the open tool of the lowest motor becomes current.
    void closeTool(quint8 motor);
    void closeAllTools();
    // The current tool; none when no tool is open.
    ToolsInterface* tool() const;
    ToolsInterface* tool(quint8 motor) const;
    // The open tools, by motor.
    QList<ToolsInterface*> tools() const;
    // Makes the open tool of `motor` the current tool; false when none is open.
    bool setCurrentTool(quint8 motor);
    // "motor 0, motor 1" for the open tools; "none" without one.
    QString openMotorsText() const;
    // Why the last openTool() opened no tool for the connected product (the
    // plug-in does not serve its variant); empty otherwise.
    QString refusal() const { return m_refusal; }
    // The motor of the current tool; 0 without one.
    quint8 motor() const;

    // Delivers the module's queued replies now, as the host's event loop
    // would; scripts and the workbench's trace refresh use it.
    void deliverReplies();
    // Whether the event loop delivers replies on its own (the default): a
    // script delivers them where it says, on `refresh` and `wait`.
    void setRepliesDeliveredByEventLoop(bool on);

    // The host exports a value from the module; it reaches each tool through
    // the tool's import filters.
    void exportValue(const export_type_t* key, const QVariant& value);

signals:
    void moduleChanged(SimulatedModule* module);
    void toolOpened(ToolsInterface* tool);
    // Emitted before the tool is destroyed.
    void toolClosing(ToolsInterface* tool);
    // Another tool, or none, became the current tool.
    void currentToolChanged(ToolsInterface* tool);
    // openTool() found the plug-in does not serve the product's variant.
    void toolRefused(const QString& reason);
    void valueExported(const QString& key, const QVariant& value);

private:
    void destroy(ToolsInterface* tool);

    ProductCatalog m_catalog;
    std::unique_ptr<QPluginLoader> m_loader;
    QPointer<ToolsInterface> m_root;
    std::unique_ptr<SimulatedModule> m_module;
    int m_variant = 0;
    QMap<quint8, QPointer<ToolsInterface>> m_tools;
    QPointer<ToolsInterface> m_current;
    QString m_refusal;
    bool m_eventLoopDeliversReplies = true;
};
