// SPDX-License-Identifier: MIT
#include "rampwriter.h"

#include "core/excerpt.h"
#include "core/toolsinterface.h"
#include "device/journal.h"
#include "device/simulateddevice.h"
#include "device/simulatedmodule.h"
#include "model/registercontroller.h"
#include "model/zyrafield.h"
#include "pluginhost.h"
#include "userinput.h"

#include <QLabel>
#include <QPointer>
#include <QSpinBox>
#include <QWidget>

namespace {
// Why an editor takes no input: the whole tool is disabled (its hints say
// why, as a commutation mode it does not support), or the editor is, as
// when the tool's ramp is switched off.
QString disabledEditor(ToolsInterface* tool, const QString& name)
{
    if (tool->isEnabled())
        return QStringLiteral("the tool's editor \"%1\" is disabled (is the ramp switched off?)").arg(Excerpt::of(name));
    QStringList hints;
    if (const auto* box = tool->findChild<QWidget*>(QStringLiteral("gbHints"))) {
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            if (label->isVisibleTo(tool) && !label->text().isEmpty())
                hints << label->text();
        }
    }
    if (hints.isEmpty())
        return QStringLiteral("the tool is disabled, so its editor \"%1\" takes no input").arg(Excerpt::of(name));
    return QStringLiteral("the tool is disabled: %1").arg(hints.join(QLatin1Char(' ')));
}
} // namespace

bool RampWriter::write(ToolsInterface* tool, SimulatedModule* module, const RampDesigns::Values& values, QString* error)
{
    if (!tool || !module) {
        *error = QStringLiteral("no tool is open to write the ramp through");
        return false;
    }
    // Where each value goes: the tool's editor, else the host's register field.
    QVector<QPointer<QWidget>> editors;
    QVector<QPointer<Model::ZYRAField>> fields;
    for (const auto& value : values) {
        auto* editor = tool->findChild<QSpinBox*>(value.first);
        Model::ZYRAField* field = nullptr;
        if (editor && !editor->isEnabled()) {
            *error = disabledEditor(tool, value.first);
            return false;
        }
        if (editor && (value.second < editor->minimum() || value.second > editor->maximum())) {
            *error = QStringLiteral("%1 is out of the range of the tool's editor \"%2\" (%3 to %4)")
                         .arg(value.second)
                         .arg(Excerpt::of(value.first))
                         .arg(editor->minimum())
                         .arg(editor->maximum());
            return false;
        }
        if (!editor && tool->registerController())
            field = tool->registerController()->get(value.first, false);
        if (!editor && !(field && field->exists())) {
            *error = QStringLiteral("the tool has no editor \"%1\", nor the host a register field of that name")
                         .arg(Excerpt::of(value.first));
            return false;
        }
        editors.append(editor);
        fields.append(field);
    }
    bool noted = false;
    for (int i = 0; i < values.size(); ++i) {
        if (editors[i]) {
            if (UserInput::set(editors[i], QString::number(values[i].second), error) != UserInput::Done) {
                *error = QStringLiteral("the tool's editor \"%1\" took no input").arg(Excerpt::of(values[i].first));
                return false;
            }
            continue;
        }
        if (!fields[i])
            continue;
        if (!noted && module->journal()) {
            module->journal()->append(module->device()->timeMs(), quint8(tool->motorNumber()),
                                      QStringLiteral("host register editor: the tool has no ramp editors"));
            noted = true;
        }
        fields[i]->setValue(int(values[i].second));
    }
    return true;
}

bool RampWriter::apply(PluginHost& host, RampDesigns& designs, bool undo, QString* error)
{
    RampDesigns::Values values;
    if (!(undo ? designs.toUndo(&values, error) : designs.toApply(&values, error)))
        return false;
    const quint8 motor = undo ? designs.undoMotor() : designs.motor();
    ToolsInterface* tool = host.tool(motor);
    if (!tool) {
        *error = QStringLiteral("no tool of motor %1 is open to write the ramp through (open: %2)")
                     .arg(motor)
                     .arg(host.openMotorsText());
        return false;
    }
    const RampDesigns::Values before = designs.current(motor, values);
    if (!write(tool, host.module(), values, error))
        return false;
    if (undo)
        designs.undone();
    else
        designs.applied(before);
    return true;
}
