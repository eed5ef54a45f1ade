#pragma once

#include "device/motionwiring.h"
#include "model/productdescription.h"

#include <QList>
#include <QString>

#include <memory>

// What one product file describes: the product as the host knows it, and how
// its simulated motion is wired.
struct SimulatedProduct
{
    std::unique_ptr<ProductDescription> description;
    MotionWiring motion;

    // Reads a product file. On any error returns null and sets `error` to one
    // line "FILE:LINE:COLUMN: error: what".
    static std::unique_ptr<SimulatedProduct> fromFile(const QString& path, QString* error);
    static std::unique_ptr<SimulatedProduct> fromXml(const QByteArray& xml, const QString& source,
                                                     QString* error);
    // The products built into the simulation, by variant code.
    static QList<int> builtInVariants();
    static QString builtInPath(int variant);
    static std::unique_ptr<SimulatedProduct> builtIn(int variant, QString* error);
};
