// SPDX-License-Identifier: MIT
#include "plugininterface.h"

#include "importfilter.h"

PluginInterface::PluginInterface(const QString& name, const QString& title, const QString& icon, QWidget* parent)
    : QWidget(parent)
    , m_name(name)
    , m_title(title)
    , m_iconPath(icon)
{
}

PluginInterface::~PluginInterface() = default;

void PluginInterface::addInfo(const QString& key, const QVariant& value)
{
    m_info.append(qMakePair(key, value));
}

void PluginInterface::addImportFilter(ImportFilter* filter)
{
    if (filter)
        m_importFilters.append(filter);
}

QList<ImportFilter*> PluginInterface::importFilters() const
{
    QList<ImportFilter*> filters;
    for (const QPointer<ImportFilter>& filter : m_importFilters) {
        if (filter)
            filters.append(filter);
    }
    return filters;
}

bool PluginInterface::offerImport(const export_type_t* key, const QVariant& value, QObject* sender)
{
    const QList<ImportFilter*> filters = importFilters();
    for (ImportFilter* filter : filters) {
        if (!filter->accepts(key, value, sender))
            return false;
    }
    importValue(key, value, sender);
    return true;
}

QString PluginInterface::version()
{
    return QString();
}

void PluginInterface::aboutToExit()
{
}

void PluginInterface::setEnabled(bool enabled)
{
    QWidget::setEnabled(enabled);
}

void PluginInterface::importValue(const export_type_t*, QVariant, QObject*)
{
}

void PluginInterface::siblingIsVisible(const QString&, bool)
{
}

void PluginInterface::showPlugin()
{
}

void PluginInterface::hidePlugin()
{
}

bool PluginInterface::isUsableForVariant(int variant)
{
    return m_variants.contains(variant);
}

QList<int> PluginInterface::compatibleVariants()
{
    return m_variants;
}
