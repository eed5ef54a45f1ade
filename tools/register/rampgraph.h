#pragma once

#include <QList>
#include <QRectF>

#include <functional>

class HelperTargetArea;
class QGraphicsScene;
class QObject;
class XmlRegisterWidget;

// The picture of the eight-point ramp in the side panel of the register tools:
// the host's drawing, with a hot spot over each ramp element that lights up
// while the register editor of that element is hovered. Each tool gives only
// its table of elements and editors.
class RampGraph
{
public:
    static const char* const Drawing;

    struct Element
    {
        const char* id;            // element id in the drawing, e.g. "Field-VMAX"
        XmlRegisterWidget* widget; // the editor that sets its value; may be null
    };

    // Builds the picture into `scene`: clears it, adds one hot spot per element
    // in table order, then the drawing on top. The editor's hover signals call
    // `hover(hotSpot, entered)` with `context` as the connections' context.
    static void build(QGraphicsScene* scene, const QList<Element>& elements, QObject* context,
                      const std::function<void(HelperTargetArea*, bool)>& hover);

    // Maps an element's bounds from the drawing's user coordinates to the
    // picture's item coordinates: a pure scale by the item's size over the
    // viewBox's, in single precision, without translation.
    static QRectF mapRectToScene(const QRectF& viewBox, const QRectF& itemRect, const QRectF& bounds);

    // Lights a hot spot up (entry) or down; nothing for a null one.
    static void handleHover(HelperTargetArea* targetArea, bool entry);
};
