// SPDX-License-Identifier: MIT
#include "importfilter_samemodule.h"

#include "toolsinterface.h"
#include "zyramoduleinterface.h"

ImportFilter_SameModule::ImportFilter_SameModule(QObject* parent)
    : ImportFilter(parent)
{
}

bool ImportFilter_SameModule::accepts(const export_type_t*, const QVariant&, QObject* sender) const
{
    const auto* tool = dynamic_cast<const ToolsInterface*>(parent());
    if (!tool || !tool->module() || !sender)
        return false;
    if (sender == tool->module())
        return true;
    const auto* senderTool = dynamic_cast<const ToolsInterface*>(sender);
    return senderTool && senderTool->module() == tool->module();
}
