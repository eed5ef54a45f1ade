// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class XmlValueRegister;
class XmlValueRegisterField;

// The register map of one IC: its registers and the fields laid into them.
// Owns both (as QObject children).
class XmlProductIC : public QObject
{
    Q_OBJECT

public:
    explicit XmlProductIC(const QString& name, QObject* parent = nullptr);
    ~XmlProductIC() override;

    QString name() const { return objectName(); }

    // Lookups by name; the flag is accepted for the host's signature and names
    // are always compared case-sensitively. Where several registers (fields)
    // share a name or an address, the first one added is found.
    XmlValueRegister* getRegisterByName(const QString& name, bool exact) const;
    XmlValueRegisterField* getRegisterFieldByName(const QString& name, bool exact) const;
    XmlValueRegister* registerAt(quint16 address) const;

    QList<XmlValueRegister*> registers() const;
    QList<XmlValueRegisterField*> fields() const;

    // Counts the changes of the map (a register or field added or removed),
    // so that whoever keeps what a lookup found can tell when to look again.
    quint64 revision() const { return m_revision; }

protected:
    void childEvent(QChildEvent* event) override;

private:
    // The children by kind, name and address, made on the first lookup after
    // a change: a lookup costs a hash, not a walk over every child.
    struct Index
    {
        QList<XmlValueRegister*> registers;
        QList<XmlValueRegisterField*> fields;
        QHash<QString, XmlValueRegister*> registerNamed;
        QHash<QString, XmlValueRegisterField*> fieldNamed;
        QHash<quint16, XmlValueRegister*> registerAt;
    };
    const Index& index() const;

    mutable std::unique_ptr<Index> m_index;
    quint64 m_revision = 0;
};
