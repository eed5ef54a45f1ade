// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

// A named value of an IC's register map that the host can read and trace:
// a whole register or one field of it.
class XmlValueInterface : public QObject
{
    Q_OBJECT

public:
    explicit XmlValueInterface(const QString& name, QObject* parent = nullptr);

    QString name() const { return m_name; }

private:
    QString m_name;
};
