#include "zyraparameter.h"

namespace Model {

ZYRAParameter* ZYRAParameter::getWarned(const QString& toolName)
{
    if (!m_users.contains(toolName))
        m_users.append(toolName);
    return exists() ? this : nullptr;
}

} // namespace Model
