// SPDX-License-Identifier: MIT
#include "exporttypes.h"

namespace ExportTypes {

const export_type_t UpdateUnits{"Units"};
const export_type_t CommutationMode{"CommMode"};

const export_type_t* byName(const QString& name)
{
    for (const export_type_t* type : {&UpdateUnits, &CommutationMode}) {
        if (name == QLatin1String(type->name))
            return type;
    }
    return nullptr;
}

} // namespace ExportTypes
