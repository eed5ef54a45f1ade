// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

// A named property of a module, such as which commutation modes it has.
class XmlFeature : public QObject
{
    Q_OBJECT

public:
    XmlFeature(const QString& category, quint8 index, const QString& name, const QString& value, QObject* parent);

    QString category() const { return m_category; }
    quint8 index() const { return m_index; }
    QString name() const { return objectName(); }
    QString value() const { return m_value; }

private:
    QString m_category;
    quint8 m_index;
    QString m_value;
};
