// SPDX-License-Identifier: MIT
#pragma once

#include "exporttypes.h"

#include <QObject>
#include <QVariant>

// Decides whether a value the host exports reaches a tool's importValue.
class ImportFilter : public QObject
{
    Q_OBJECT

public:
    explicit ImportFilter(QObject* parent);

    virtual bool accepts(const export_type_t* key, const QVariant& value, QObject* sender) const = 0;
};
