// SPDX-License-Identifier: MIT
#include "zyraparameter.h"

namespace Model {

ZYRAParameter* ZYRAParameter::getWarned(const QString& /*toolName*/)
{
    return exists() ? this : nullptr;
}

} // namespace Model
