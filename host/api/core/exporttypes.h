// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A kind of value the host exports to tools (units, commutation mode, ...).
// Kinds are compared by address: every kind exists exactly once.
struct export_type_t
{
    const char* name;
};
using ExportType = export_type_t;

namespace ExportTypes {
extern const export_type_t UpdateUnits;     // "Units": 0 rotary, 1 linear
extern const export_type_t CommutationMode; // "CommMode": the module's commutation mode

// The kind exported under `name`, or null when the host exports nothing by that name.
const export_type_t* byName(const QString& name);
} // namespace ExportTypes
