// SPDX-License-Identifier: MIT
#pragma once

#include <QGraphicsRectItem>
#include <QPointer>

class XmlRegisterWidget;

// A hot spot over an element of a picture, belonging to the register editor
// that sets that element's value. It lights up while the editor is hovered,
// and hovering the hot spot itself marks the editor.
class HelperTargetArea : public QGraphicsRectItem
{
public:
    HelperTargetArea(const QRectF& rect, XmlRegisterWidget* widget);

    void onHoverEnter();
    void onHoverExit();
    bool isHighlighted() const { return m_highlighted; }
    XmlRegisterWidget* registerWidget() const { return m_widget; }

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    void applyLook();

    QPointer<XmlRegisterWidget> m_widget;
    bool m_highlighted = false;
};
