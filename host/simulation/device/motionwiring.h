// SPDX-License-Identifier: MIT
#pragma once

#include "rampgenerator.h"

#include <QMap>
#include <QString>
#include <QStringList>

// How the simulated motion of a product is wired: the ramp it follows, the
// scales of its velocity and acceleration values, and the register, field or
// parameter each motion quantity lives in.
struct MotionWiring
{
    // Where the motion reads or writes one of its quantities.
    struct Source
    {
        enum Kind { Register, Field, Parameter };
        Kind kind = Field;
        QString name;     // register or field name, or parameter role
        qint64 value = 0; // for the motion mode: the value meaning "position mode"
    };

    RampGenerator::Profile profile = RampGenerator::Profile::Direct;
    // Positions per second for one unit of a velocity value, and per second
    // squared for one unit of an acceleration value.
    double velocityScale = 1.0;
    double accelerationScale = 1.0;
    QMap<QString, Source> sources; // by motion role ("target", "vMax", ...)

    // The motion roles a product may wire, in the order the ramp uses them.
    static QStringList roles()
    {
        return {QStringLiteral("target"), QStringLiteral("actual"),     QStringLiteral("velocity"),
                QStringLiteral("mode"),   QStringLiteral("rampEnable"), QStringLiteral("vStart"),
                QStringLiteral("a1"),     QStringLiteral("v1"),         QStringLiteral("a2"),
                QStringLiteral("v2"),     QStringLiteral("aMax"),       QStringLiteral("vMax"),
                QStringLiteral("dMax"),   QStringLiteral("d2"),         QStringLiteral("d1"),
                QStringLiteral("vStop"),  QStringLiteral("tVMax"),      QStringLiteral("tZeroWait")};
    }
};
