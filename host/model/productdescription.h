#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class XmlParameterInterface;
class XmlProductIC;
class XmlProductModule;

// Everything one product file describes: the module as a product, its axis
// parameters, its IC's register map and how its motion is wired. Owns all of it.
class ProductDescription : public QObject
{
    Q_OBJECT

public:
    // Where the simulated motion reads or writes one of its quantities.
    struct MotionSource
    {
        enum Kind { Register, Field, Parameter };
        Kind kind = Field;
        QString name;     // register or field name, or parameter role
        qint64 value = 0; // for the motion mode: the value meaning "position mode"
    };

    struct Motion
    {
        enum Profile { Direct, Trapezoid, EightPoint };
        Profile profile = Direct;
        // Positions per second for one unit of a velocity value, and per
        // second squared for one unit of an acceleration value.
        double velocityScale = 1.0;
        double accelerationScale = 1.0;
        QMap<QString, MotionSource> sources; // by motion role ("target", "vMax", ...)
    };

    explicit ProductDescription(QObject* parent = nullptr);
    ~ProductDescription() override;

    // Reads a product file. On any error returns null and sets `error` to one
    // line "FILE:LINE:COLUMN: error: what".
    static std::unique_ptr<ProductDescription> fromFile(const QString& path, QString* error);
    static std::unique_ptr<ProductDescription> fromXml(const QByteArray& xml, const QString& source,
                                                       QString* error);
    // The products built into the host, by variant code.
    static QList<int> builtInVariants();
    static QString builtInPath(int variant);
    static std::unique_ptr<ProductDescription> builtIn(int variant, QString* error);
    // The motion roles a product may wire, in the order the ramp uses them.
    static QStringList motionRoles();

    int variant() const { return m_variant; }
    QString designation() const { return m_designation; }
    QString name() const { return m_name; }
    quint8 address() const { return m_address; }
    int motors() const { return m_motors; }
    XmlProductModule* productModule() const;
    XmlProductIC* ic() const;
    QList<XmlParameterInterface*> parameters() const { return m_parameters; }
    XmlParameterInterface* parameter(const QString& role) const;
    const Motion& motion() const { return m_motion; }

private:
    friend class ProductReader;

    int m_variant = 0;
    QString m_designation;
    QString m_name;
    quint8 m_address = 1;
    int m_motors = 1;
    // Children of the product; the host may delete them under a live tool.
    QPointer<XmlProductModule> m_module;
    QPointer<XmlProductIC> m_ic;
    QList<XmlParameterInterface*> m_parameters;
    Motion m_motion;
};
