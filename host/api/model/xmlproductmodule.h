// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class XmlFeature;

// The description of a module as a product: its name and its features.
// Owns its features.
class XmlProductModule : public QObject
{
    Q_OBJECT

public:
    explicit XmlProductModule(const QString& name, QObject* parent = nullptr);

    QString name() const { return objectName(); }

    // The feature of that name, axis/channel index and category, or null.
    XmlFeature* feature(const QString& name, const unsigned char& index, const QString& category) const;
    QList<XmlFeature*> features() const;
};
