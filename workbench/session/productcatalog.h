// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class SimulatedModule;

// The products the workbench can simulate: the host's built-in ones, each
// replaced by a product file of the same variant code when one is given.
class ProductCatalog
{
public:
    struct Entry
    {
        int variant = 0;
        QString designation;
        QString name;
        QString path;     // the product file, a resource path for a built-in product
        QByteArray bytes; // its text as read: a pipe can be read only once
        int motors = 1;
    };

    // Reads every built-in product; a broken built-in one sets `error`.
    bool loadBuiltIn(QString* error);
    // Reads a product file and puts it in place of the product of its variant
    // code (or adds it). On error nothing changes and `error` is
    // "FILE:LINE:COLUMN: error: what".
    bool addFile(const QString& path, QString* error);

    QList<Entry> entries() const { return m_entries; }
    const Entry* find(int variant) const;
    QString variantList() const;

    // A fresh module of the product; null and `error` set when there is none.
    std::unique_ptr<SimulatedModule> createModule(int variant, QString* error) const;

private:
    bool add(const QString& path, QString* error);

    QList<Entry> m_entries;
};
