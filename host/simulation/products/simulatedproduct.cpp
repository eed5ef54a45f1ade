// SPDX-License-Identifier: MIT
#include "simulatedproduct.h"

#include "boundedfile.h"
#include "productreader.h"

namespace {
const QList<int> kBuiltInVariants{40, 100, 105, 108, 135, 139};
}

bool SimulatedProduct::readFile(const QString& path, const QString& kind, QByteArray* bytes, QString* error)
{
    BoundedFile::Result file = BoundedFile::read(path, BoundedFile::MostUserFileBytes, true);
    QString why;
    switch (file.outcome) {
    case BoundedFile::Outcome::Read:
        *bytes = std::move(file.bytes);
        return true;
    case BoundedFile::Outcome::NotAllowed:
        why = QStringLiteral("it is not a regular file or a pipe");
        break;
    case BoundedFile::Outcome::TooLarge:
        why = QStringLiteral("it is larger than %1 MiB").arg(BoundedFile::MostUserFileBytes / BoundedFile::MiB);
        break;
    case BoundedFile::Outcome::Failed:
        why = file.failure;
        break;
    }
    if (error)
        *error = QStringLiteral("%1: error: cannot read the %2: %3").arg(path, kind, why);
    return false;
}

std::unique_ptr<SimulatedProduct> SimulatedProduct::fromFile(const QString& path, QString* error)
{
    QByteArray bytes;
    if (!readFile(path, QStringLiteral("product file"), &bytes, error))
        return nullptr;
    return fromXml(bytes, path, error);
}

std::unique_ptr<SimulatedProduct> SimulatedProduct::fromXml(const QByteArray& xml, const QString& source, QString* error)
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
