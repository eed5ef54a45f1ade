// SPDX-License-Identifier: MIT
#include "boundedfile.h"

#include <QFile>

#include <sys/stat.h>

BoundedFile::Result BoundedFile::read(const QString& path, qint64 limit, bool pipesAllowed)
{
    Result result;
    // A path on disk is looked at before it is opened, so that a device such
    // as /dev/zero is never read.
    struct stat status;
    if (!path.startsWith(QLatin1Char(':')) && ::stat(QFile::encodeName(path).constData(), &status) == 0) {
        const bool pipe = S_ISFIFO(status.st_mode);
        if (!S_ISREG(status.st_mode) && !(pipe && pipesAllowed)) {
            result.outcome = Outcome::NotAllowed;
            return result;
        }
        if (!pipe && status.st_size > limit) {
            result.outcome = Outcome::TooLarge;
            result.size = status.st_size;
            return result;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.failure = file.errorString();
        return result;
    }
    // A pipe has no size to ask for, and a file may grow after the look at
    // its size: read in pieces up to the limit.
    char chunk[64 * 1024];
    for (;;) {
        const qint64 count = file.read(chunk, sizeof chunk);
        if (count < 0) {
            result.failure = file.errorString();
            return result;
        }
        if (count == 0)
            break;
        if (result.bytes.size() + count > limit) {
            result.bytes.clear();
            result.outcome = Outcome::TooLarge;
            return result;
        }
        result.bytes.append(chunk, int(count));
    }
    result.outcome = Outcome::Read;
    return result;
}
