// SPDX-License-Identifier: MIT
#include "pluginhost.h"

#include "core/toolsinterface.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "elided.h"
#include "model/productdescription.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace {
const char kPluginBaseName[] = "tools_generic_position_mode";
} // namespace

PluginHost::PluginHost(ProductCatalog catalog, QObject* parent)
    : QObject(parent)
    , m_catalog(std::move(catalog))
{
}

PluginHost::~PluginHost()
{
    closeAllTools();
    m_module.reset();
    // The root lives in the plug-in's code: it goes with the plug-in, while
    // the application still runs.
    if (m_loader && m_loader->isLoaded())
        m_loader->unload();
}

bool PluginHost::isInTool(const QObject* object)
{
    for (; object; object = object->parent()) {
        if (qobject_cast<const ToolsInterface*>(object))
            return true;
    }
    return false;
}

QString PluginHost::defaultPluginDirectory()
{
    // An installed workbench takes its installed plug-in folder and nothing
    // else, so that a stray file in <prefix>/plugins is never loaded; a build
    // tree has no such folder and takes plugins/ beside bin/.
    // POSITIONMODE_INSTALLED_PLUGIN_DIR comes from the build: the install
    // layout's plug-in directory relative to the installed executable's.
    const QString executableDir = QCoreApplication::applicationDirPath();
    QString installed = QDir::cleanPath(executableDir + QLatin1Char('/')
                                        + QStringLiteral(POSITIONMODE_INSTALLED_PLUGIN_DIR));
    if (QFileInfo(installed).isDir())
        return installed;
    return QDir::cleanPath(executableDir + QStringLiteral("/../plugins"));
}

bool PluginHost::load(const QString& directory, QString* error)
{
    const QDir dir(directory);
    if (!dir.exists()) {
        *error = QStringLiteral("the plug-in directory \"%1\" does not exist").arg(directory);
        return false;
    }
    // The loader adds the platform's prefix and suffix to the base name.
    auto loader = std::make_unique<QPluginLoader>(dir.absoluteFilePath(QLatin1String(kPluginBaseName)));
    if (loader->fileName().isEmpty()) {
        *error = QStringLiteral("no plug-in file \"%1\" in \"%2\"").arg(QLatin1String(kPluginBaseName), directory);
        return false;
    }
    QObject* instance = loader->instance();
    if (!instance) {
        *error = QStringLiteral("cannot load the plug-in: %1").arg(loader->errorString());
        return false;
    }
    auto* root = qobject_cast<ToolsInterface*>(instance);
    if (!root) {
        *error = QStringLiteral("\"%1\" is not a tool plug-in: its root does not offer %2")
                     .arg(loader->fileName(), QLatin1String(qobject_interface_iid<ToolsInterface*>()));
        loader->unload();
        return false;
    }
    m_loader = std::move(loader);
    m_root = root;
    return true;
}

ToolsInterface* PluginHost::root() const
{
    return m_root;
}

ToolsInterface* PluginHost::tool() const
{
    return m_current;
}

ToolsInterface* PluginHost::tool(quint8 motor) const
{
    return m_tools.value(motor);
}

QList<ToolsInterface*> PluginHost::tools() const
{
    QList<ToolsInterface*> open;
    for (const QPointer<ToolsInterface>& tool : m_tools) {
        if (tool)
            open.append(tool);
    }
    return open;
}

bool PluginHost::setCurrentTool(quint8 motor)
{
    ToolsInterface* chosen = tool(motor);
    if (!chosen)
        return false;
    if (chosen != m_current) {
        m_current = chosen;
        emit currentToolChanged(chosen);
    }
    return true;
}

QString PluginHost::openMotorsText() const
{
    QStringList motors;
    for (ToolsInterface* open : tools())
        motors.append(QStringLiteral("motor %1").arg(open->motorNumber()));
    return motors.isEmpty() ? QStringLiteral("none") : motors.join(QStringLiteral(", "));
}

QString PluginHost::pluginFile() const
{
    return m_loader ? m_loader->fileName() : QString();
}

bool PluginHost::openProduct(int variant, QString* error)
{
    std::unique_ptr<SimulatedModule> module = m_catalog.createModule(variant, error);
    if (!module)
        return false;
    closeAllTools();
    m_refusal.clear();
    m_module = std::move(module);
    m_module->setRepliesDeliveredByEventLoop(m_eventLoopDeliversReplies);
    m_variant = variant;
    emit moduleChanged(m_module.get());
    return true;
}

ToolsInterface* PluginHost::openTool(quint8 motor, QString* error)
{
    if (!m_module) {
        *error = QStringLiteral("no product is connected");
        return nullptr;
    }
    if (!m_root) {
        *error = QStringLiteral("no plug-in is loaded");
        return nullptr;
    }
    const int motors = m_module->product()->motors();
    if (motor >= motors) {
        *error = QStringLiteral("product %1 has %2 motor%3, no motor %4")
                     .arg(m_variant)
                     .arg(motors)
                     .arg(motors == 1 ? QString() : QStringLiteral("s"))
                     .arg(motor);
        return nullptr;
    }
    closeTool(motor);
    // The host asks first and clones only for a variant the plug-in serves.
    if (!m_root->isUsableForVariant(m_variant)) {
        const ProductCatalog::Entry* entry = m_catalog.find(m_variant);
        m_refusal = QStringLiteral("the plug-in does not serve product variant %1 (%2)")
                        .arg(m_variant)
                        .arg(entry ? elided(entry->designation) : QStringLiteral("unknown designation"));
        *error = m_refusal;
        emit toolRefused(m_refusal);
        return nullptr;
    }
    m_refusal.clear();
    ToolsInterface* tool = m_root->clone(QLatin1String(ToolName), motor, m_module.get());
    if (!tool) {
        *error = QStringLiteral("the plug-in created no tool for product %1").arg(m_variant);
        return nullptr;
    }
    m_tools.insert(motor, tool);
    emit toolOpened(tool);
    m_current = tool;
    emit currentToolChanged(tool);
    return tool;
}

void PluginHost::closeTool(quint8 motor)
{
    const bool wasCurrent = m_current && m_current == m_tools.value(motor);
    destroy(m_tools.take(motor));
    if (!wasCurrent)
        return;
    // The current tool went: the tool of the lowest motor takes its place.
    const QList<ToolsInterface*> open = tools();
    m_current = open.isEmpty() ? nullptr : open.first();
    emit currentToolChanged(m_current);
}

void PluginHost::closeAllTools()
{
    const bool hadCurrent = m_current;
    while (!m_tools.isEmpty())
        destroy(m_tools.take(m_tools.firstKey()));
    m_current = nullptr;
    if (hadCurrent)
        emit currentToolChanged(nullptr);
}

void PluginHost::destroy(ToolsInterface* tool)
{
    if (!tool)
        return;
    emit toolClosing(tool);
    delete tool;
}

quint8 PluginHost::motor() const
{
    return m_current ? m_current->motorNumber() : 0;
}

void PluginHost::deliverReplies()
{
    if (m_module)
        m_module->deliverReplies();
}

void PluginHost::setRepliesDeliveredByEventLoop(bool on)
{
    m_eventLoopDeliversReplies = on;
    if (m_module)
        m_module->setRepliesDeliveredByEventLoop(on);
}

void PluginHost::exportValue(const export_type_t* key, const QVariant& value)
{
    if (!key || !m_module)
        return;
    m_module->exportValue(key, value);
    emit valueExported(QLatin1String(key->name), value);
}
