// SPDX-License-Identifier: MIT
#include "productcatalog.h"

#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "model/productdescription.h"
#include "products/simulatedproduct.h"

#include <QStringList>

bool ProductCatalog::loadBuiltIn(QString* error)
{
    const QList<int> variants = SimulatedProduct::builtInVariants();
    for (int variant : variants) {
        if (!add(SimulatedProduct::builtInPath(variant), error))
            return false;
    }
    return true;
}

bool ProductCatalog::addFile(const QString& path, QString* error)
{
    return add(path, error);
}

bool ProductCatalog::add(const QString& path, QString* error)
{
    QByteArray bytes;
    if (!SimulatedProduct::readFile(path, QStringLiteral("product file"), &bytes, error))
        return false;
    const std::unique_ptr<SimulatedProduct> file = SimulatedProduct::fromXml(bytes, path, error);
    if (!file)
        return false;
    const ProductDescription& product = *file->description;
    Entry entry;
    entry.variant = product.variant();
    entry.designation = product.designation();
    entry.name = product.name();
    entry.path = path;
    entry.bytes = bytes;
    entry.motors = product.motors();
    for (Entry& existing : m_entries) {
        if (existing.variant == entry.variant) {
            existing = entry;
            return true;
        }
    }
    m_entries.append(entry);
    return true;
}

const ProductCatalog::Entry* ProductCatalog::find(int variant) const
{
    for (const Entry& entry : m_entries) {
        if (entry.variant == variant)
            return &entry;
    }
    return nullptr;
}

QString ProductCatalog::variantList() const
{
    QStringList codes;
    for (const Entry& entry : m_entries)
        codes.append(QString::number(entry.variant));
    return codes.join(QStringLiteral(", "));
}

std::unique_ptr<SimulatedModule> ProductCatalog::createModule(int variant, QString* error) const
{
    const Entry* entry = find(variant);
    if (!entry) {
        if (error)
            *error = QStringLiteral("unknown product code %1 (the products are %2)").arg(variant).arg(variantList());
        return nullptr;
    }
    std::unique_ptr<SimulatedProduct> product = SimulatedProduct::fromXml(entry->bytes, entry->path, error);
    if (!product)
        return nullptr;
    return std::make_unique<SimulatedModule>(std::move(product));
}
