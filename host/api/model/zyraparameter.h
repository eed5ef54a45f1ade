#pragma once

#include "basexmlparameter.h"

#include <QStringList>

namespace Model {

// A parameter as the host hands it to tools: a tool asks for it by its own
// name, so the host knows which tools rely on which parameters.
class ZYRAParameter : public BaseXMLParameter
{
    Q_OBJECT

public:
    using BaseXMLParameter::BaseXMLParameter;

    // The parameter for that tool, or null when the module does not offer it.
    ZYRAParameter* getWarned(const QString& toolName);
    // Names of the tools that asked for this parameter, in the order they asked.
    QStringList users() const { return m_users; }

private:
    QStringList m_users;
};

} // namespace Model
