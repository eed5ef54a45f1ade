// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

// The description of one axis parameter of a module: its role in the
// parameter controller, its number, range and default.
class XmlParameterInterface : public QObject
{
    Q_OBJECT

public:
    struct Description
    {
        QString role;   // controller member, e.g. "maxVelocity"
        int number = 0; // the parameter's number on the module
        QString name;   // shown name, e.g. "Maximum velocity"
        qint64 minimum = 0;
        qint64 maximum = 0;
        qint64 defaultValue = 0;
        QString description;
        // False for a parameter the module lists but does not offer.
        bool available = true;
        // The device keeps only multiples of this (rounded towards zero).
        qint64 granularity = 1;
    };

    explicit XmlParameterInterface(const Description& description, QObject* parent = nullptr);

    QString role() const { return m_description.role; }
    int number() const { return m_description.number; }
    QString name() const { return m_description.name; }
    qint64 minimum() const { return m_description.minimum; }
    qint64 maximum() const { return m_description.maximum; }
    qint64 defaultValue() const { return m_description.defaultValue; }
    bool isAvailable() const { return m_description.available; }
    qint64 granularity() const { return m_description.granularity; }
    QString getParameterDescription() const { return m_description.description; }

private:
    Description m_description;
};
