#include "rampgraph.h"

#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QGraphicsScene>
#include <QGraphicsSvgItem>
#include <QMatrix>
#include <QPointer>
#include <QSvgRenderer>

const char* const RampGraph::Drawing = ":/Images/Ramper/Images/Ramper/ramp_segments_8point_position.svg";

void RampGraph::build(QGraphicsScene* scene, const QList<Element>& elements, QObject* context,
                      const std::function<void(HelperTargetArea*, bool)>& hover)
{
    if (!scene)
        return;
    auto* picture = new QGraphicsSvgItem(QLatin1String(Drawing));
    picture->setParent(scene);
    picture->setPos(0, 0);
    // The picture is not in the scene yet and survives; anything else goes.
    scene->clear();

    const QRectF viewBox(picture->renderer()->viewBox());
    const QRectF itemRect = picture->boundingRect();
    const QPointer<QGraphicsScene> guardedScene(scene);
    for (const Element& element : elements) {
        const QRectF bounds = picture->renderer()->boundsOnElement(QLatin1String(element.id));
        auto* hotSpot = new HelperTargetArea(mapRectToScene(viewBox, itemRect, bounds), element.widget);
        if (element.widget) {
            // The links keep the hot spot's address; the scene owns it, so a
            // link only calls out while the hot spot is still in the scene.
            const auto link = [guardedScene, hotSpot, hover](bool entered) {
                if (guardedScene && guardedScene->items().contains(hotSpot))
                    hover(hotSpot, entered);
            };
            QObject::connect(element.widget, &XmlRegisterWidget::hoverEnterWidget, context,
                             [link] { link(true); });
            QObject::connect(element.widget, &XmlRegisterWidget::hoverLeaveWidget, context,
                             [link] { link(false); });
        }
        scene->addItem(hotSpot);
    }
    scene->addItem(picture);
}

QRectF RampGraph::mapRectToScene(const QRectF& viewBox, const QRectF& itemRect, const QRectF& bounds)
{
    // A drawing without a usable viewBox is shown unscaled.
    const float sx = viewBox.width() > 0 ? float(itemRect.width() / viewBox.width()) : 1.0f;
    const float sy = viewBox.height() > 0 ? float(itemRect.height() / viewBox.height()) : 1.0f;
    QMatrix matrix;
    matrix.scale(sx, sy);
    return matrix.mapRect(bounds);
}

void RampGraph::handleHover(HelperTargetArea* targetArea, bool entry)
{
    if (!targetArea)
        return;
    if (entry)
        targetArea->onHoverEnter();
    else
        targetArea->onHoverExit();
}
