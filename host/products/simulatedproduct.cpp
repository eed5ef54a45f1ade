#include "simulatedproduct.h"

#include "productreader.h"

#include <QFile>

namespace {
const QList<int> kBuiltInVariants{40, 100, 105, 108, 135, 139};
}

std::unique_ptr<SimulatedProduct> SimulatedProduct::fromFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: error: cannot read the product file: %2").arg(path, file.errorString());
        return nullptr;
    }
    return fromXml(file.readAll(), path, error);
}

std::unique_ptr<SimulatedProduct> SimulatedProduct::fromXml(const QByteArray& xml, const QString& source,
                                                            QString* error)
{
    return ProductReader(source).read(xml, error);
}

QList<int> SimulatedProduct::builtInVariants()
{
    return kBuiltInVariants;
}

QString SimulatedProduct::builtInPath(int variant)
{
    return QStringLiteral(":/products/%1.xml").arg(variant);
}

std::unique_ptr<SimulatedProduct> SimulatedProduct::builtIn(int variant, QString* error)
{
    if (!kBuiltInVariants.contains(variant)) {
        if (error)
            *error = QStringLiteral("error: no simulated product has the variant code %1").arg(variant);
        return nullptr;
    }
    return fromFile(builtInPath(variant), error);
}
