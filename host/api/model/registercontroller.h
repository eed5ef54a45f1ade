// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class XmlProductIC;
class XmlValueRegister;
class ZYRAModuleInterface;

namespace Model {

class ZYRAField;

// The register fields of one channel of the module's IC, by name. Owns them.
class RegisterController : public QObject
{
    Q_OBJECT

public:
    RegisterController(XmlProductIC* ic, ZYRAModuleInterface* module, quint8 channel, QObject* parent);

    // The field of that name, or null; the flag is accepted for the host's signature.
    ZYRAField* get(const QString& name, bool create);
    QList<ZYRAField*> fields() const;

    // The module reports a register's value after a read or a write: every
    // field laid into it takes its part.
    void takeRegisterValue(const XmlValueRegister* reg, quint32 value, bool fromRead);

private:
    QList<QPointer<ZYRAField>> m_fields;
};

} // namespace Model
