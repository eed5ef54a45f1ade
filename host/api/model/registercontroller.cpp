// SPDX-License-Identifier: MIT
#include "registercontroller.h"

#include "xmlproductic.h"
#include "xmlvalueregister.h"
#include "xmlvalueregisterfield.h"
#include "zyrafield.h"

namespace Model {

RegisterController::RegisterController(XmlProductIC* ic, ZYRAModuleInterface* module, quint8 channel, QObject* parent)
    : QObject(parent)
{
    if (!ic)
        return;
    const QList<XmlValueRegisterField*> all = ic->fields();
    for (XmlValueRegisterField* field : all)
        m_fields.append(new ZYRAField(field, module, channel, this));
}

ZYRAField* RegisterController::get(const QString& name, bool)
{
    for (const QPointer<ZYRAField>& field : qAsConst(m_fields)) {
        if (field && field->objectName() == name)
            return field;
    }
    return nullptr;
}

QList<ZYRAField*> RegisterController::fields() const
{
    QList<ZYRAField*> result;
    for (const QPointer<ZYRAField>& field : m_fields) {
        if (field)
            result.append(field);
    }
    return result;
}

void RegisterController::takeRegisterValue(const XmlValueRegister* reg, quint32 value, bool fromRead)
{
    // A copy: a field's listeners may run anything, even delete fields.
    const QList<QPointer<ZYRAField>> fields = m_fields;
    for (const QPointer<ZYRAField>& field : fields) {
        if (!field)
            continue;
        const XmlValueRegisterField* xmlField = field->registerField();
        if (xmlField && xmlField->getRegister() == reg)
            field->takeValue(int(xmlField->getFieldValue(value)), fromRead);
    }
}

} // namespace Model
