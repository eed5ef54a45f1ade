// SPDX-License-Identifier: MIT
#pragma once

#include "products/boundedfile.h"

#include <QString>

// Reads the text of a script file, refusing what is not a script: anything
// but a regular file, more than MaximumBytes, a NUL byte, a carriage return
// that does not end a line before a line feed, bytes that are not UTF-8.
class ScriptFile
{
public:
    static constexpr qint64 MaximumBytes = BoundedFile::MostUserFileBytes;

    struct Error
    {
        int line = 0;   // 1-based; 0 when the file as a whole is refused
        int column = 0; // 1-based byte in the line
        QString message;
    };

    static bool read(const QString& path, QString* text, Error* error);
    // Checks bytes already read; `text` is their UTF-8 text.
    static bool decode(const QByteArray& bytes, QString* text, Error* error);
};
