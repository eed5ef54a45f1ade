// SPDX-License-Identifier: MIT
#pragma once

#include "exporttypes.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

class ImportFilter;

// Base of every plug-in window the host shows: its name, title and icon, the
// info entries it reports, and the values it imports from the host.
class PluginInterface : public QWidget
{
    Q_OBJECT

public:
    PluginInterface(const QString& name, const QString& title, const QString& icon, QWidget* parent);
    ~PluginInterface() override;

    QString name() const { return m_name; }
    QString title() const { return m_title; }
    QString iconPath() const { return m_iconPath; }

    // Records an info entry; entries are kept in the order they were added,
    // repeats included.
    void addInfo(const QString& key, const QVariant& value);
    QList<QPair<QString, QVariant>> info() const { return m_info; }

    // Registers a filter on the values reaching importValue; the caller parents it.
    void addImportFilter(ImportFilter* filter);
    QList<ImportFilter*> importFilters() const;
    // The host offers an exported value: it reaches importValue when every
    // filter accepts it. Returns whether it was passed on.
    bool offerImport(const export_type_t* key, const QVariant& value, QObject* sender);

public slots:
    virtual QString version();
    virtual void aboutToExit();
    virtual void setEnabled(bool enabled);
    virtual void importValue(const export_type_t* key, QVariant value, QObject* sender);
    virtual void siblingIsVisible(const QString& name, bool visible);
    virtual void showPlugin();
    virtual void hidePlugin();
    virtual bool isUsableForVariant(int variant);
    virtual QList<int> compatibleVariants();

protected:
    // Variant codes this plug-in serves, filled by the plug-in's root.
    QList<int> m_variants;

private:
    QString m_name;
    QString m_title;
    QString m_iconPath;
    QList<QPair<QString, QVariant>> m_info;
    QList<QPointer<ImportFilter>> m_importFilters;
};
