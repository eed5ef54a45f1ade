#pragma once

#include <QList>
#include <QObject>
#include <QString>

class XmlValueRegister;
class XmlValueRegisterField;

// The register map of one IC: its registers and the fields laid into them.
// Owns both (as QObject children).
class XmlProductIC : public QObject
{
    Q_OBJECT

public:
    explicit XmlProductIC(const QString& name, QObject* parent = nullptr);

    QString name() const { return objectName(); }

    // Lookups by name; the flag is accepted for the host's signature and names
    // are always compared case-sensitively.
    XmlValueRegister* getRegisterByName(const QString& name, bool exact) const;
    XmlValueRegisterField* getRegisterFieldByName(const QString& name, bool exact) const;
    XmlValueRegister* registerAt(quint16 address) const;

    QList<XmlValueRegister*> registers() const;
    QList<XmlValueRegisterField*> fields() const;
};
