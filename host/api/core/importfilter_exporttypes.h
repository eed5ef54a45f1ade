// SPDX-License-Identifier: MIT
#pragma once

#include "importfilter.h"

#include <QSet>

// Passes only values of the listed export kinds.
class ImportFilter_SpecificExportTypes : public ImportFilter
{
    Q_OBJECT

public:
    ImportFilter_SpecificExportTypes(const QSet<const export_type_t*>& types, QObject* parent);

    bool accepts(const export_type_t* key, const QVariant& value, QObject* sender) const override;
    QSet<const export_type_t*> types() const { return m_types; }

private:
    QSet<const export_type_t*> m_types;
};
