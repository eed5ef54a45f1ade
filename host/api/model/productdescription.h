// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class XmlParameterInterface;
class XmlProductIC;
class XmlProductModule;
class XmlValueRegister;
class XmlValueRegisterField;

// What the host knows of a connected product: its variant code, names, module
// address and motors, the module as a product, its axis parameters and its
// IC's register map. Owns all of it.
class ProductDescription : public QObject
{
    Q_OBJECT

public:
    struct Identity
    {
        int variant = 0;
        QString designation;
        QString name;
        quint8 address = 1;
        int motors = 1;
    };

    explicit ProductDescription(const Identity& identity, QObject* parent = nullptr);
    ~ProductDescription() override;

    int variant() const { return m_identity.variant; }
    QString designation() const { return m_identity.designation; }
    QString name() const { return m_identity.name; }
    quint8 address() const { return m_identity.address; }
    int motors() const { return m_identity.motors; }
    XmlProductModule* productModule() const;
    XmlProductIC* ic() const;
    QList<XmlParameterInterface*> parameters() const;
    XmlParameterInterface* parameter(const QString& role) const;

    // What a name stands for: the first register of that name in the IC, the
    // first field, the parameter of that role; each null when there is none.
    struct Named
    {
        XmlValueRegister* reg = nullptr;
        XmlValueRegisterField* field = nullptr;
        XmlParameterInterface* parameter = nullptr;
        // What the name means where it names several: the register, else the
        // field, else the parameter.
        QObject* first() const;
    };
    Named named(const QString& name) const;

    // Counts the changes of the IC and the parameter list (one set, a parameter
    // added or deleted), so that whoever keeps what a lookup found can tell
    // when to look again.
    quint64 revision() const { return m_revision; }

    // Assembly, by whoever reads the product: each takes ownership.
    void setProductModule(XmlProductModule* module);
    void setIc(XmlProductIC* ic);
    void addParameter(XmlParameterInterface* parameter);

private:
    Identity m_identity;
    // Children of the product; the host may delete them under a live tool.
    QPointer<XmlProductModule> m_module;
    QPointer<XmlProductIC> m_ic;
    QList<QPointer<XmlParameterInterface>> m_parameters;
    quint64 m_revision = 0;
};
