// SPDX-License-Identifier: MIT
#include "rampgraph.h"

#include "rampregistertable.h"
#include "widgets/helpertargetarea.h"
#include "widgets/xmlregisterwidget.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSvgItem>
#include <QGraphicsView>
#include <QMatrix>
#include <QPointer>
#include <QSvgRenderer>

#include <array>

namespace {
// The elements that get a hot spot, in the drawing's order: TVMAX follows
// VMAX here, whatever order the tools' register tables list them in.
const char* const kElements[] = {
    "Field-VSTART", "Field-VSTOP", "Field-V1", "Field-V2", "Field-VMAX", "Field-TVMAX", "Field-A1",
    "Field-A2",     "Field-AMAX",  "Field-D1", "Field-D2", "Field-DMAX", "Field-TZERO",
};
constexpr size_t kElementCount = sizeof(kElements) / sizeof(kElements[0]);

// The hot spots' rectangles in the picture's item coordinates, in element
// order. The drawing never changes, so they are worked out once per process.
const std::array<QRectF, kElementCount>& hotSpotRects(QSvgRenderer* renderer)
{
    static const std::array<QRectF, kElementCount> rects = [renderer] {
        const QRectF viewBox(renderer->viewBox());
        const QRectF itemRect(QPointF(0, 0), renderer->defaultSize());
        std::array<QRectF, kElementCount> mapped;
        for (size_t i = 0; i < kElementCount; ++i) {
            const QRectF bounds = renderer->boundsOnElement(QLatin1String(kElements[i]));
            mapped[i] = RampGraph::mapRectToScene(viewBox, itemRect, bounds);
        }
        return mapped;
    }();
    return rects;
}
} // namespace

const char* const RampGraph::Drawing = ":/Images/Ramper/Images/Ramper/ramp_segments_8point_position.svg";

RampGraph::RampGraph(QGraphicsView* view)
    : m_scene(std::make_unique<QGraphicsScene>())
{
    // A handful of items never moved: a spatial index would only cost memory.
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    view->setScene(m_scene.get());
    addPicture();
}

RampGraph::RampGraph(QGraphicsView* view, const RampRegisterTable& table, QObject* context, const Hover& hover)
    : m_scene(std::make_unique<QGraphicsScene>())
{
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    view->setScene(m_scene.get());
    addHotSpots(table, context, hover);
    addPicture();
}

RampGraph::~RampGraph() = default;

// The drawing is parsed once per process; every picture draws from it.
QSvgRenderer* RampGraph::sharedRenderer()
{
    static QPointer<QSvgRenderer> renderer;
    if (!renderer)
        renderer = new QSvgRenderer(QLatin1String(Drawing), QCoreApplication::instance());
    return renderer;
}

void RampGraph::addPicture()
{
    auto* picture = new QGraphicsSvgItem;
    picture->setSharedRenderer(sharedRenderer());
    // Drawn straight from the shared renderer: a cached pixmap per picture
    // would cost more than the drawing takes to paint.
    picture->setCacheMode(QGraphicsItem::NoCache);
    picture->setPos(0, 0);
    m_scene->addItem(picture);
}

void RampGraph::addHotSpots(const RampRegisterTable& table, QObject* context, const Hover& hover)
{
    const std::array<QRectF, kElementCount>& rects = hotSpotRects(sharedRenderer());
    const QPointer<QGraphicsScene> guardedScene(m_scene.get());
    for (size_t i = 0; i < kElementCount; ++i) {
        XmlRegisterWidget* editor = table.editorOfElement(kElements[i]);
        auto* hotSpot = new HelperTargetArea(rects[i], editor);
        if (editor) {
            // The links keep the hot spot's address; the scene owns it, so a
            // link only calls out while the hot spot is still in the scene.
            const auto link = [guardedScene, hotSpot, hover](bool entered) {
                if (guardedScene && guardedScene->items().contains(hotSpot))
                    hover(hotSpot, entered);
            };
            QObject::connect(editor, &XmlRegisterWidget::hoverEnterWidget, context, [link] { link(true); });
            QObject::connect(editor, &XmlRegisterWidget::hoverLeaveWidget, context, [link] { link(false); });
        }
        m_scene->addItem(hotSpot);
    }
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
