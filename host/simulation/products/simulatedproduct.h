// SPDX-License-Identifier: MIT
#pragma once

#include "device/motionwiring.h"
#include "model/productdescription.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// What one product file describes: the product as the host knows it, and how
// its simulated motion is wired.
struct SimulatedProduct
{
    std::unique_ptr<ProductDescription> description;
    MotionWiring motion;

    // Reads the whole of a file given by the user, once: a regular file, a
    // pipe (`<(cat FILE)`) or a resource, of at most BoundedFile::MostUserFileBytes.
    // Anything else (a device, a directory, a larger file) is refused with "PATH: error: cannot read the KIND: why".
    static bool readFile(const QString& path, const QString& kind, QByteArray* bytes, QString* error);

    // Reads a product file. On any error returns null and sets `error` to one
    // line "FILE:LINE:COLUMN: error: what".
    static std::unique_ptr<SimulatedProduct> fromFile(const QString& path, QString* error);
    static std::unique_ptr<SimulatedProduct> fromXml(const QByteArray& xml, const QString& source, QString* error);
    // The products built into the simulation, by variant code.
    static QList<int> builtInVariants();
    static QString builtInPath(int variant);
    static std::unique_ptr<SimulatedProduct> builtIn(int variant, QString* error);
};
