#include "productdescription.h"

#include "productreader.h"
#include "xmlparameterinterface.h"
#include "xmlproductic.h"
#include "xmlproductmodule.h"

#include <QFile>

namespace {
const QList<int> kBuiltInVariants{40, 100, 105, 108, 135, 139};
}

ProductDescription::ProductDescription(QObject* parent)
    : QObject(parent)
{
}

ProductDescription::~ProductDescription() = default;

std::unique_ptr<ProductDescription> ProductDescription::fromFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: error: cannot read the product file: %2").arg(path, file.errorString());
        return nullptr;
    }
    return fromXml(file.readAll(), path, error);
}

std::unique_ptr<ProductDescription> ProductDescription::fromXml(const QByteArray& xml,
                                                                const QString& source, QString* error)
{
    return ProductReader(source).read(xml, error);
}

QList<int> ProductDescription::builtInVariants()
{
    return kBuiltInVariants;
}

QString ProductDescription::builtInPath(int variant)
{
    return QStringLiteral(":/products/%1.xml").arg(variant);
}

std::unique_ptr<ProductDescription> ProductDescription::builtIn(int variant, QString* error)
{
    if (!kBuiltInVariants.contains(variant)) {
        if (error)
            *error = QStringLiteral("error: no simulated product has the variant code %1").arg(variant);
        return nullptr;
    }
    return fromFile(builtInPath(variant), error);
}

QStringList ProductDescription::motionRoles()
{
    return {QStringLiteral("target"), QStringLiteral("actual"), QStringLiteral("velocity"),
            QStringLiteral("mode"), QStringLiteral("rampEnable"), QStringLiteral("vStart"),
            QStringLiteral("a1"), QStringLiteral("v1"), QStringLiteral("a2"), QStringLiteral("v2"),
            QStringLiteral("aMax"), QStringLiteral("vMax"), QStringLiteral("dMax"),
            QStringLiteral("d2"), QStringLiteral("d1"), QStringLiteral("vStop"),
            QStringLiteral("tVMax"), QStringLiteral("tZeroWait")};
}

XmlProductModule* ProductDescription::productModule() const
{
    return m_module;
}

XmlProductIC* ProductDescription::ic() const
{
    return m_ic;
}

XmlParameterInterface* ProductDescription::parameter(const QString& role) const
{
    for (XmlParameterInterface* parameter : m_parameters) {
        if (parameter->role() == role)
            return parameter;
    }
    return nullptr;
}
