// SPDX-License-Identifier: MIT
#include "importfilter_exporttypes.h"

ImportFilter_SpecificExportTypes::ImportFilter_SpecificExportTypes(const QSet<const export_type_t*>& types,
                                                                   QObject* parent)
    : ImportFilter(parent)
    , m_types(types)
{
}

bool ImportFilter_SpecificExportTypes::accepts(const export_type_t* key, const QVariant&, QObject*) const
{
    return m_types.contains(key);
}
