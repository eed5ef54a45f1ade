// SPDX-License-Identifier: MIT
#include "helpertargetarea.h"

#include "xmlregisterwidget.h"

#include <QBrush>
#include <QPen>

namespace {
const QColor kHighlightFill(255, 176, 32, 190);
const QColor kHighlightEdge(224, 120, 0);
constexpr qreal kEdgeWidth = 2.0;
} // namespace

HelperTargetArea::HelperTargetArea(const QRectF& rect, XmlRegisterWidget* widget)
    : QGraphicsRectItem(rect)
    , m_widget(widget)
{
    setAcceptHoverEvents(widget != nullptr);
    if (widget)
        setToolTip(widget->label());
    applyLook();
}

void HelperTargetArea::onHoverEnter()
{
    m_highlighted = true;
    applyLook();
}

void HelperTargetArea::onHoverExit()
{
    m_highlighted = false;
    applyLook();
}

void HelperTargetArea::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    onHoverEnter();
    if (m_widget)
        m_widget->setHighlighted(true);
    QGraphicsRectItem::hoverEnterEvent(event);
}

void HelperTargetArea::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    onHoverExit();
    if (m_widget)
        m_widget->setHighlighted(false);
    QGraphicsRectItem::hoverLeaveEvent(event);
}

void HelperTargetArea::applyLook()
{
    if (m_highlighted) {
        setBrush(kHighlightFill);
        setPen(QPen(kHighlightEdge, kEdgeWidth));
    } else {
        setBrush(Qt::NoBrush);
        setPen(Qt::NoPen);
    }
}
