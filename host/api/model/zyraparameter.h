// SPDX-License-Identifier: MIT
#pragma once

#include "basexmlparameter.h"

#include <QString>

namespace Model {

// A parameter as the host hands it to tools: a tool asks for it by its own
// name (what the host keeps of that is the host's affair).
class ZYRAParameter : public BaseXMLParameter
{
    Q_OBJECT

public:
    using BaseXMLParameter::BaseXMLParameter;

    // The parameter for that tool, or null when the module does not offer it.
    ZYRAParameter* getWarned(const QString& toolName);
};

} // namespace Model
