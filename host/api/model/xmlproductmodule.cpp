// SPDX-License-Identifier: MIT
#include "xmlproductmodule.h"

#include "xmlfeature.h"

XmlProductModule::XmlProductModule(const QString& name, QObject* parent)
    : QObject(parent)
{
    setObjectName(name);
}

XmlFeature* XmlProductModule::feature(const QString& name, const unsigned char& index, const QString& category) const
{
    const QList<XmlFeature*> all = features();
    for (XmlFeature* feature : all) {
        if (feature->name() == name && feature->index() == index && feature->category() == category)
            return feature;
    }
    return nullptr;
}

QList<XmlFeature*> XmlProductModule::features() const
{
    return findChildren<XmlFeature*>(QString(), Qt::FindDirectChildrenOnly);
}
