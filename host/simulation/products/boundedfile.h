// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Reads the whole of a file a user hands over, without trusting it to end: a
// device is never opened, a pipe is read in pieces and never past the limit.
// The callers word the refusals, each for its kind of file.
struct BoundedFile
{
    static constexpr qint64 MiB = qint64(1) << 20;
    // The most a file handed over by a user may hold: a product file, a script.
    static constexpr qint64 MostUserFileBytes = 16 * MiB;

    enum class Outcome {
        Read,
        NotAllowed, // a directory, a device, or a pipe where pipes are not taken
        TooLarge,   // more than the limit; `size` is the file's size, or -1 when it grew while read
        Failed,     // the file cannot be opened or read; `failure` says why
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QByteArray bytes;
        qint64 size = -1;
        QString failure;
    };

    // Resources (":/...") are read as they are.
    static Result read(const QString& path, qint64 limit, bool pipesAllowed);
};
