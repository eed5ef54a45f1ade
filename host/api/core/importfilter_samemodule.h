// SPDX-License-Identifier: MIT
#pragma once

#include "importfilter.h"

// Passes only values exported by the tool's own module, or by another tool of it.
// The tool is the filter's parent.
class ImportFilter_SameModule : public ImportFilter
{
    Q_OBJECT

public:
    explicit ImportFilter_SameModule(QObject* parent);

    bool accepts(const export_type_t* key, const QVariant& value, QObject* sender) const override;
};
