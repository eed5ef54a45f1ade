#include "simulatedproduct.h"

#include "productreader.h"

#include <QFile>

#include <sys/stat.h>

namespace {
const QList<int> kBuiltInVariants{40, 100, 105, 108, 135, 139};
}

bool SimulatedProduct::readFile(const QString& path, const QString& kind, QByteArray* bytes, QString* error)
{
    const auto refuse = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: error: cannot read the %2: %3").arg(path, kind, why);
        return false;
    };
    const QString limit = QStringLiteral("it is larger than %1 MiB").arg(kMaxFileSize / kMiB);
    // Resources are ours; a path on disk is looked at before it is opened, so
    // that a device such as /dev/zero is never read.
    if (!path.startsWith(QLatin1Char(':'))) {
        struct stat status;
        if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
            if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
                return refuse(QStringLiteral("it is not a regular file or a pipe"));
            if (S_ISREG(status.st_mode) && status.st_size > kMaxFileSize)
                return refuse(limit);
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return refuse(file.errorString());
    // A pipe has no size to ask for: read it in pieces up to the limit.
    QByteArray data;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 count = file.read(chunk, sizeof chunk);
        if (count < 0)
            return refuse(file.errorString());
        if (count == 0)
            break;
        if (data.size() + count > kMaxFileSize)
            return refuse(limit);
        data.append(chunk, int(count));
    }
    *bytes = data;
    return true;
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
