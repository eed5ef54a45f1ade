// SPDX-License-Identifier: MIT
#include "rampregistertable.h"

#include "widgets/xmlregisterwidget.h"
#include "widgets/xmlregisterwidgetcontainer.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

// The velocities rise towards VMAX; the accelerations and decelerations are
// gentlest at AMAX and DMAX, the smallest of their three.
const std::array<RampRegisterTable::RowInfo, RampRegisterTable::RowCount> RampRegisterTable::Rows = {{
    {"RAMPER_V_START", "RAMPER_V_START", "Field-VSTART", 0},
    {"RAMPER_V_STOP", "RAMPER_V_STOP", "Field-VSTOP", 1},
    {"RAMPER_V1", "RAMPER_V1", "Field-V1", 1000000},
    {"RAMPER_V2", "RAMPER_V2", "Field-V2", 3000000},
    {"RAMPER_V_MAX", "RAMPER_V_MAX", "Field-VMAX", 5000000},
    {"RAMPER_A1", "RAMPER_A1", "Field-A1", 16000},
    {"RAMPER_A2", "RAMPER_A2", "Field-A2", 6000},
    {"RAMPER_A_MAX", "RAMPER_A_MAX", "Field-AMAX", 2000},
    {"RAMPER_D1", "RAMPER_D1", "Field-D1", 16000},
    {"RAMPER_D2", "RAMPER_D2", "Field-D2", 6000},
    {"RAMPER_D_MAX", "RAMPER_D_MAX", "Field-DMAX", 2000},
    {"T_VMAX", "RAMPER_TIME_CONFIG_T_VMAX", "Field-TVMAX", 0},
    {"T_ZEROWAIT", "RAMPER_TIME_CONFIG_T_ZEROWAIT", "Field-TZERO", 0},
    // Feed-forward has no element in the picture.
    {"FEEDFORWARD", "CONFIG_FEEDFORWARD", nullptr, 1},
}};

RampRegisterTable::RampRegisterTable(QWidget* panel, QWidget* owner, const MakeEditor& makeEditor)
    : m_panel(panel)
    , m_owner(owner)
{
    for (size_t row = 0; row < Rows.size(); ++row) {
        XmlRegisterWidget* editor = makeEditor(Rows[row]);
        if (!editor)
            continue;
        // On the panel the tool finds the editor by name before any row exists.
        if (QWidget* widget = editor->widget())
            widget->setParent(panel);
        m_editors.append(editor);
        m_rowEditors[row] = editor;
    }
}

void RampRegisterTable::layOutRows()
{
    if (m_laidOut || !m_panel)
        return;
    m_laidOut = true;
    auto* table = new QWidget(m_owner);
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    auto* panelLayout = new QHBoxLayout(m_panel);
    panelLayout->addWidget(table);

    auto* container = new XmlRegisterWidgetContainer(new QFormLayout, m_owner, QString());
    for (const QPointer<XmlRegisterWidget>& editor : qAsConst(m_editors)) {
        if (editor)
            container->addXmlWidget(editor);
    }

    if (QWidget* rows = container->widget()) {
        if (QLayout* rowsLayout = rows->layout())
            rowsLayout->setContentsMargins(0, 0, 0, 0);
        tableLayout->addWidget(rows);
    }
}

XmlRegisterWidget* RampRegisterTable::editorOfElement(const char* element) const
{
    for (size_t row = 0; row < Rows.size(); ++row) {
        if (Rows[row].element && std::strcmp(Rows[row].element, element) == 0)
            return m_rowEditors[row];
    }
    return nullptr;
}
