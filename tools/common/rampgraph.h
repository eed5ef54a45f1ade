// SPDX-License-Identifier: MIT
#pragma once

#include <QRectF>

#include <functional>
#include <memory>

class HelperTargetArea;
class QGraphicsScene;
class QGraphicsView;
class QObject;
class QSvgRenderer;
class RampRegisterTable;

// The picture of the eight-point ramp in a tool's side panel: the host's
// drawing on a scene of its own, shown in the form's view. The register tools
// lay a hot spot over each ramp element that lights up while the register
// editor of that element is hovered.
class RampGraph
{
public:
    static const char* const Drawing;

    using Hover = std::function<void(HelperTargetArea*, bool)>;

    // Shows the bare drawing in `view`.
    explicit RampGraph(QGraphicsView* view);
    // Shows the drawing with a hot spot under it per element, in drawing
    // order, each linked to the table's editor of that element. The editors'
    // hover signals call `hover(hotSpot, entered)` with `context` as the
    // connections' context.
    RampGraph(QGraphicsView* view, const RampRegisterTable& table, QObject* context, const Hover& hover);
    ~RampGraph();

    // Maps an element's bounds from the drawing's user coordinates to the
    // picture's item coordinates: a pure scale by the item's size over the
    // viewBox's, in single precision, without translation.
    static QRectF mapRectToScene(const QRectF& viewBox, const QRectF& itemRect, const QRectF& bounds);

    // Lights a hot spot up (entry) or down; nothing for a null one.
    static void handleHover(HelperTargetArea* targetArea, bool entry);

private:
    static QSvgRenderer* sharedRenderer();
    void addHotSpots(const RampRegisterTable& table, QObject* context, const Hover& hover);
    void addPicture();

    std::unique_ptr<QGraphicsScene> m_scene;
};
