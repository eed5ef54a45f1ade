// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/xmlregisterwidget.h"

#include <QList>
#include <QPointer>

#include <array>
#include <functional>

class QObject;
class QWidget;

// The table of ramp registers in the side panel of the register tools: one
// editor per ramp field the product has, laid out in rows on the form's
// registers panel. Defaults writes the rows' values in table order.
//
// The editors exist from the start, since the tool reads and shows their
// registers while the panel is still closed; the labelled rows they sit in
// are only built when the panel is first opened (layOutRows).
class RampRegisterTable
{
public:
    enum Row { VStart, VStop, V1, V2, VMax, A1, A2, AMax, D1, D2, DMax, TVMax, TZeroWait, FeedForward, RowCount };

    struct RowInfo
    {
        const char* zellField;    // the field's name among the Zell IC's register fields
        const char* veltraxField; // its name among the Veltrax IC's named fields
        const char* element;      // its element in the ramp picture, or null
        int defaultValue;
    };

    // The rows, top to bottom.
    static const std::array<RowInfo, RowCount> Rows;

    // Makes the editor of a row, owned by the tool; null where the product
    // lacks the field, which leaves the row out.
    using MakeEditor = std::function<XmlRegisterWidget*(const RowInfo&)>;

    // Makes the editors, on `panel` but not laid out yet; the layout objects
    // made later belong to `owner`.
    RampRegisterTable(QWidget* panel, QWidget* owner, const MakeEditor& makeEditor);

    // Lays the editors out in rows labelled with their fields' names; once.
    // The panel must not be shown before.
    void layOutRows();

    // The editors made, in table order.
    const QList<QPointer<XmlRegisterWidget>>& editors() const { return m_editors; }
    XmlRegisterWidget* editor(Row row) const { return m_rowEditors[size_t(row)]; }
    // The editor of a picture element, or null.
    XmlRegisterWidget* editorOfElement(const char* element) const;

private:
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_owner;
    bool m_laidOut = false;
    QList<QPointer<XmlRegisterWidget>> m_editors;
    std::array<QPointer<XmlRegisterWidget>, RowCount> m_rowEditors;
};
