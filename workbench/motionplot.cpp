// SPDX-License-Identifier: MIT
#include "motionplot.h"

#include "core/excerpt.h"
#include "device/simulateddevice.h"
#include "safefile.h"
#include "savedialog.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPdfWriter>
#include <QToolButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <functional>
#include <limits>

namespace {
constexpr int kSeriesCount = 3;               // target, actual, velocity
constexpr double kPlanAheadSeconds = 10.0;    // how far the view reaches ahead of now for a plan
constexpr double kRoomAfterPlanSeconds = 1.5; // in view after a plan's end
constexpr double kLeastPositionSpan = 10.0;   // positions an axis spans at least
// The time axis shows the stretch the samples keep, in seconds.
constexpr double kWindowSeconds = SampleStore::WindowMs / 1000.0;
constexpr int kSamplesPerPhase = 24;
constexpr int kMarkRows = 4;      // rows of phase labels at the top of the plot
constexpr int kMarkGapPixels = 6; // room between labels in a row
// A picture saved before the plot has been laid out on screen has this size, in pixels.
constexpr QSize kPictureSize(1200, 700);
const QColor kHiddenEntryColour(170, 170, 170);

// The colours of one motor's curves. From motor 1 on a family is one hue,
// the actual position darkest and the target lightest; motor 0 keeps the
// plot's original colours. Motors 4 and up take darker shades of the
// families of motors 0 to 3.
struct Family
{
    QColor target, actual, velocity;
};
const Family kFamilies[] = {
    {QColor(230, 126, 34), QColor(41, 98, 255), QColor(46, 160, 67)},
    {QColor(206, 147, 216), QColor(106, 27, 154), QColor(171, 71, 188)},
    {QColor(239, 154, 154), QColor(183, 28, 28), QColor(229, 57, 53)},
    {QColor(128, 203, 196), QColor(0, 105, 92), QColor(0, 150, 136)},
};
constexpr int kFamilyCount = int(sizeof(kFamilies) / sizeof(kFamilies[0]));

QColor colourOf(quint8 motor, MotionPlot::Series series)
{
    const Family& family = kFamilies[motor % kFamilyCount];
    const QColor colour = series == MotionPlot::Target   ? family.target
                          : series == MotionPlot::Actual ? family.actual
                                                         : family.velocity;
    return motor < kFamilyCount ? colour : colour.darker(150);
}

QString seriesName(MotionPlot::Series series)
{
    return series == MotionPlot::Target   ? QStringLiteral("target")
           : series == MotionPlot::Actual ? QStringLiteral("actual")
                                          : QStringLiteral("velocity");
}

// The plot's canvas. A new size is drawn with the next redraw rather than at
// once, so that a window that rearranges itself several times in a row (a
// tool opening, then showing) draws the plot once.
class Canvas : public QCustomPlot
{
public:
    Canvas(QWidget* parent, std::function<void()> resized)
        : QCustomPlot(parent)
        , m_resized(std::move(resized))
    {
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        setViewport(rect());
        m_resized();
    }

private:
    std::function<void()> m_resized;
};

// A value range around `range` with a little room, and never empty.
// A range with room around its curves, at least `least` wide.
QCPRange padded(QCPRange range, double least)
{
    const double margin = qMax(range.size() * 0.08, (least - range.size()) / 2);
    return QCPRange(range.lower - margin, range.upper + margin);
}

// A drawn curve as (key, value) points.
QVector<QPointF> pointsOf(const QCPGraph* graph)
{
    QVector<QPointF> result;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        result.append(QPointF(it->key, it->value));
    return result;
}

// Adds a plan's curves from `start` seconds on: position a parabola within
// a phase, velocity a straight line; a phase of no duration is a jump of the velocity.
void addPlan(QCPGraph* position, QCPGraph* velocity, const MovePlanner::Plan& plan, double start)
{
    position->addData(start, plan.startPosition);
    velocity->addData(start, plan.startVelocity);
    for (const MovePlanner::Phase& phase : plan.phases) {
        if (phase.duration() > 0) {
            for (int i = 1; i < kSamplesPerPhase; ++i) {
                const double t = phase.startTime + phase.duration() * i / kSamplesPerPhase;
                position->addData(start + t, plan.positionAt(t));
            }
        }
        position->addData(start + phase.endTime, phase.endPosition);
        velocity->addData(start + phase.endTime, phase.endVelocity);
    }
}
} // namespace

MotionPlot::MotionPlot(SampleStore& samples, MovePlans& plans, QWidget* parent)
    : QWidget(parent)
    , m_samples(samples)
    , m_plans(plans)
{
    m_plot = new Canvas(this, [this] {
        m_resized = true;
        scheduleRedraw(true);
    });
    m_plot->setObjectName(QStringLiteral("motionPlot"));
    m_plot->setMinimumHeight(180);
    m_plot->setNoAntialiasingOnDrag(true);

    m_plot->xAxis->setLabel(QStringLiteral("Device time [s]"));
    m_plot->yAxis->setLabel(QStringLiteral("Position"));
    m_plot->yAxis2->setLabel(QStringLiteral("Velocity [positions/s]"));
    m_plot->yAxis2->setVisible(true);
    for (QCPAxis* axis : {m_plot->yAxis, m_plot->yAxis2})
        axis->setNumberFormat(QStringLiteral("gb"));
    // Positions are whole numbers of up to ten digits: shown whole.
    m_plot->yAxis->setNumberPrecision(10);

    // The planned curves, drawn for the current motor; the legend is built by hand.
    m_plot->setAutoAddPlottableToLegend(false);
    for (PlanKind kind : {MovePlans::Move, MovePlans::Preview}) {
        m_plannedPosition[kind] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
        m_plannedVelocity[kind] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
    }
    m_arrival = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    m_arrival->setLineStyle(QCPGraph::lsNone);
    // A design in colours of its own: the move now thin and grey, the proposal dotted purple over it.
    for (int proposed : {0, 1}) {
        const QColor colour = proposed ? QColor(140, 60, 180) : QColor(120, 120, 120);
        const QPen pen(colour, proposed ? 2.0 : 1.0, proposed ? Qt::DotLine : Qt::SolidLine);
        m_designPosition[proposed] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
        m_designVelocity[proposed] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
        m_designPosition[proposed]->setPen(pen);
        m_designVelocity[proposed]->setPen(pen);
    }
    styleCurrentMotor();

    // The legend sits in a row of its own above the curves, never over them.
    m_plot->legend->setVisible(true);
    m_plot->legend->setWrap(kSeriesCount); // a row per motor, the planned curves below
    m_plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    m_plot->legend->setBorderPen(Qt::NoPen);
    m_plot->legend->setBrush(Qt::NoBrush);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, m_plot->legend);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    m_plot->legend->setMargins(QMargins(4, 2, 4, 0));
    rebuildLegend();
    m_plot->xAxis->setRange(0, kWindowSeconds);
    m_plot->yAxis->setRange(-1, 1);
    m_plot->yAxis2->setRange(-1, 1);

    // The user may zoom and drag the value axes; time always shows the last 20 s.
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setRangeDrag(Qt::Vertical);
    m_plot->axisRect()->setRangeZoom(Qt::Vertical);
    m_plot->axisRect()->setRangeDragAxes(QList<QCPAxis*>{m_plot->yAxis, m_plot->yAxis2});
    m_plot->axisRect()->setRangeZoomAxes(QList<QCPAxis*>{m_plot->yAxis, m_plot->yAxis2});
    // A press or a turn of the wheel over the curves or their axes scales them; one on the legend does not.
    const auto userScaledAt = [this](const QPoint& at) {
        if (m_plot->axisRect()->outerRect().contains(at))
            setAutoScale(false);
    };
    connect(m_plot, &QCustomPlot::mousePress, this, [userScaledAt](QMouseEvent* event) { userScaledAt(event->pos()); });
    connect(m_plot, &QCustomPlot::mouseWheel, this, [userScaledAt](QWheelEvent* event) { userScaledAt(event->pos()); });
    connect(m_plot, &QCustomPlot::legendClick, this,
            [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent*) { legendClicked(item); });

    m_pause = new QToolButton(this);
    m_pause->setObjectName(QStringLiteral("plotPause"));
    m_pause->setText(QStringLiteral("Paus&e"));
    m_pause->setCheckable(true);
    m_pause->setToolTip(QStringLiteral("Freeze the plot; samples are still taken (Alt+E)"));
    m_autoScale = new QToolButton(this);
    m_autoScale->setObjectName(QStringLiteral("plotAutoScale"));
    m_autoScale->setText(QStringLiteral("&Auto-scale"));
    m_autoScale->setCheckable(true);
    m_autoScale->setChecked(true);
    m_autoScale->setToolTip(QStringLiteral("Fit the position and velocity axes to the data (Alt+A); "
                                           "dragging or zooming an axis turns it off"));
    // The legend's entries from the keyboard: a menu of the curves, each checked while shown.
    auto* curves = new QToolButton(this);
    curves->setObjectName(QStringLiteral("plotCurves"));
    curves->setText(QStringLiteral("S&how"));
    curves->setToolTip(QStringLiteral("Show or hide each curve (Alt+H), as clicking its legend entry does"));
    curves->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(curves);
    menu->setObjectName(QStringLiteral("plotCurvesMenu"));
    curves->setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menu->clear();
        for (int i = 0; i < m_plot->legend->itemCount(); ++i) {
            auto* entry = qobject_cast<QCPPlottableLegendItem*>(m_plot->legend->item(i));
            if (!entry)
                continue;
            const QString name = entry->plottable()->name();
            QAction* action = menu->addAction(name);
            action->setCheckable(true);
            action->setChecked(!m_hidden.contains(name));
            connect(action, &QAction::triggered, this, [this, name] { toggleCurve(name); });
        }
    });
    auto* save = new QToolButton(this);
    save->setObjectName(QStringLiteral("plotSave"));
    save->setText(QStringLiteral("Sa&ve…"));
    save->setToolTip(QStringLiteral("Save the samples (CSV) or the picture (PNG, PDF) (Alt+V)"));
    connect(save, &QToolButton::clicked, this, &MotionPlot::saveAs);
    connect(m_pause, &QToolButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? QStringLiteral("R&esume") : QStringLiteral("Paus&e"));
        if (!paused)
            redraw();
    });
    connect(m_autoScale, &QToolButton::toggled, this, [this](bool on) {
        if (on)
            replotNow();
    });

    auto* title = new QLabel(QStringLiteral("<b>Motion</b>"), this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(title);
    bar->addStretch(1);
    bar->addWidget(m_pause);
    bar->addWidget(m_autoScale);
    bar->addWidget(curves);
    bar->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_plot, 1);

    // A redraw waits for what changes within a frame's time, and none is due while nothing changes.
    m_redraw.setSingleShot(true);
    connect(&m_redraw, &QTimer::timeout, this, &MotionPlot::redraw);
    connect(&m_samples, &SampleStore::changed, this, &MotionPlot::changed);
    connect(&m_plans, &MovePlans::planChanged, this, [this](MovePlans::Kind, quint8 motor) {
        if (motor == m_motor)
            drawPlans();
    });
    followMotors();
}

MotionPlot::~MotionPlot() = default;

void MotionPlot::setLive(bool on)
{
    m_live = on;
    if (!on)
        m_redraw.stop();
    else if (m_dirty || m_resized)
        scheduleRedraw(true);
}

void MotionPlot::changed()
{
    followMotors();
    m_dirty = true;
    scheduleRedraw(!m_samples.stillAtLastInstant());
}

void MotionPlot::scheduleRedraw(bool moving)
{
    if (!m_live)
        return;
    const int within = moving ? RedrawMs : IdleRedrawMs;
    // A redraw already due sooner stays; one due later comes sooner.
    if (m_redraw.isActive() && m_redraw.remainingTime() <= within)
        return;
    m_redraw.start(within);
}

void MotionPlot::followMotors()
{
    // A curve per motor the store follows, made and dropped as motors come and go.
    const QList<quint8> wanted = m_samples.motors();
    if (wanted == motors())
        return;
    for (auto it = m_curves.begin(); it != m_curves.end();) {
        if (wanted.contains(it->motor)) {
            ++it;
            continue;
        }
        for (QCPGraph* graph : it->graph)
            m_plot->removeGraph(graph);
        it = m_curves.erase(it);
    }
    for (quint8 motor : wanted) {
        const auto at = std::find_if(m_curves.begin(), m_curves.end(),
                                     [motor](const Curves& c) { return c.motor >= motor; });
        if (at != m_curves.end() && at->motor == motor)
            continue;
        Curves added;
        added.motor = motor;
        for (Series series : {Target, Actual, Velocity}) {
            QCPGraph* graph = m_plot->addGraph(m_plot->xAxis, series == Velocity ? m_plot->yAxis2 : m_plot->yAxis);
            graph->setName(QStringLiteral("m%1 %2").arg(motor).arg(seriesName(series)));
            const double width = series == Target ? 1.6 : series == Actual ? 2.2 : 1.4;
            graph->setPen(QPen(colourOf(motor, series), width, series == Target ? Qt::DashLine : Qt::SolidLine));
            added.graph[series] = graph;
        }
        m_curves.insert(at, added);
    }
    rebuildLegend();
}

void MotionPlot::fillCurves()
{
    for (const Curves& c : qAsConst(m_curves)) {
        for (Series series : {Target, Actual, Velocity}) {
            const QVector<QPointF> points = m_samples.series(c.motor, SampleStore::Series(series));
            QVector<double> keys;
            QVector<double> values;
            keys.reserve(points.size());
            values.reserve(points.size());
            for (const QPointF& point : points) {
                keys.append(point.x());
                values.append(point.y());
            }
            c.graph[series]->setData(keys, values, true);
        }
    }
}

QList<quint8> MotionPlot::motors() const
{
    QList<quint8> result;
    for (const Curves& c : m_curves)
        result.append(c.motor);
    return result;
}

void MotionPlot::setCurrentMotor(quint8 motor)
{
    if (motor == m_motor)
        return;
    m_motor = motor;
    styleCurrentMotor();
    applyHidden();
    drawPlans();
}

void MotionPlot::styleCurrentMotor()
{
    // The plans in the current motor's colours: dashed for the move under way,
    // dotted and lighter for a preview, which shares the move's names and so
    // shows and hides with its curves.
    const QColor position = colourOf(m_motor, Actual);
    const QColor speed = colourOf(m_motor, Velocity);
    for (PlanKind kind : {MovePlans::Move, MovePlans::Preview}) {
        const Qt::PenStyle style = kind == MovePlans::Move ? Qt::DashLine : Qt::DotLine;
        const int alpha = kind == MovePlans::Move ? 255 : 170;
        QColor faded = position;
        faded.setAlpha(alpha);
        m_plannedPosition[kind]->setPen(QPen(faded, 1.6, style));
        m_plannedPosition[kind]->setName(QStringLiteral("m%1 plan: position").arg(m_motor));
        faded = speed;
        faded.setAlpha(alpha);
        m_plannedVelocity[kind]->setPen(QPen(faded, 1.4, style));
        m_plannedVelocity[kind]->setName(QStringLiteral("m%1 plan: velocity").arg(m_motor));
    }
    m_arrival->setName(QStringLiteral("m%1 arrival").arg(m_motor));
    m_arrival->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, position, Qt::white, 8));
}

void MotionPlot::rebuildLegend()
{
    m_plot->legend->clearItems();
    for (const Curves& c : qAsConst(m_curves)) {
        for (QCPGraph* graph : c.graph)
            graph->addToLegend();
    }
    m_plannedPosition[MovePlans::Move]->addToLegend();
    m_plannedVelocity[MovePlans::Move]->addToLegend();
    m_arrival->addToLegend();
    applyHidden();
}

void MotionPlot::legendClicked(QCPAbstractLegendItem* item)
{
    auto* entry = qobject_cast<QCPPlottableLegendItem*>(item);
    if (!entry)
        return;
    toggleCurve(entry->plottable()->name());
}

void MotionPlot::toggleCurve(const QString& name)
{
    if (!m_hidden.remove(name))
        m_hidden.insert(name);
    applyHidden();
    replotNow();
}

void MotionPlot::applyHidden()
{
    for (int i = 0; i < m_plot->graphCount(); ++i) {
        QCPGraph* graph = m_plot->graph(i);
        const bool hidden = m_hidden.contains(graph->name());
        graph->setVisible(!hidden);
        if (QCPPlottableLegendItem* entry = m_plot->legend->itemWithPlottable(graph))
            entry->setTextColor(hidden ? kHiddenEntryColour : QColor(Qt::black));
    }
    m_dirty = true;
}

bool MotionPlot::isPaused() const
{
    return m_pause->isChecked();
}

void MotionPlot::setPaused(bool paused)
{
    m_pause->setChecked(paused);
}

bool MotionPlot::autoScale() const
{
    return m_autoScale->isChecked();
}

void MotionPlot::setAutoScale(bool on)
{
    m_autoScale->setChecked(on);
}

bool MotionPlot::save(const QString& path, QString* error) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("png") && suffix != QLatin1String("pdf")) {
        *error = QStringLiteral("cannot tell the format of \"%1\" (.csv, .png or .pdf)").arg(Excerpt::of(path));
        return false;
    }
    return SafeFile::write(
        path, suffix == QLatin1String("csv") ? m_samples.csv() : picture(suffix == QLatin1String("pdf")), error);
}

QByteArray MotionPlot::picture(bool pdf) const
{
    const_cast<MotionPlot*>(this)->fillCurves();
    if (!isPaused())
        fitView();
    const QSize size = m_plot->isVisible() ? m_plot->size() : kPictureSize;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!pdf) {
        m_plot->toPixmap(size.width(), size.height()).save(&buffer, "PNG");
        return bytes;
    }
    // One page of the plot's size, drawn as vectors.
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Position-mode workbench"));
    writer.setTitle(QStringLiteral("Motion"));
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF()));
    QCPPainter painter(&writer);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(QRect(QPoint(0, 0), size));
    m_plot->toPainter(&painter, size.width(), size.height());
    painter.end();
    return bytes;
}

void MotionPlot::saveAs()
{
    // A name typed without extension takes that of the chosen file type.
    const QString path = SaveDialog::ask(this, QStringLiteral("Save plot"), QStringLiteral("motion.csv"),
                                         QStringLiteral("CSV data (*.csv);;PNG picture (*.png);;PDF document (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!save(path, &error))
        QMessageBox::warning(this, QStringLiteral("Save plot"), error);
}

void MotionPlot::redraw()
{
    if (!isVisible())
        return;
    if (m_dirty && !isPaused()) {
        replotNow();
    } else if (m_resized) {
        // Paused, the view keeps its ranges at the new size.
        m_plot->replot();
        m_resized = false;
    }
}

void MotionPlot::replotNow()
{
    fillCurves();
    fitView();
    m_plot->replot();
    m_dirty = false;
    m_resized = false;
}

void MotionPlot::fitView() const
{
    // The first 20 s of device time fill the window from its left edge.
    // A plan reaches ahead of now, up to a while.
    const double last = m_samples.lastTimeMs() / 1000.0;
    // A plan keeps room after its end for its arrival circle and its last phase's name.
    const double planEnd = qMax(planEndSeconds(), m_designEndSeconds);
    const double planned = planEnd > 0 ? planEnd + kRoomAfterPlanSeconds : 0;
    const double end = qMax(last, qMin(planned, last + kPlanAheadSeconds));
    const double start = qMax(0.0, end - kWindowSeconds);
    m_plot->xAxis->setRange(start, start + kWindowSeconds);
    if (autoScale())
        rescaleValueAxes();
}

void MotionPlot::rescaleValueAxes() const
{
    // The curves shown, measured and planned, on their axes, as far as they
    // are in view; each axis fits its own curves.
    const QCPRange inView = m_plot->xAxis->range();
    bool havePositions = false;
    bool haveVelocities = false;
    QCPRange positions;
    QCPRange velocities;
    for (int i = 0; i < m_plot->graphCount(); ++i) {
        const QCPGraph* graph = m_plot->graph(i);
        bool found = false;
        const QCPRange range = graph->data()->valueRange(found, QCP::sdBoth, inView);
        if (!found || !graph->visible())
            continue;
        const bool isVelocity = graph->valueAxis() == m_plot->yAxis2;
        bool& have = isVelocity ? haveVelocities : havePositions;
        QCPRange& into = isVelocity ? velocities : positions;
        if (have)
            into.expand(range);
        else
            into = range;
        have = true;
    }
    if (!havePositions && !haveVelocities)
        return;
    // Keep zero velocity in view, so that a standstill reads as one.
    velocities.expand(0.0);
    // A motor at rest spans some whole positions, so that its ticks fall on
    // whole numbers, each labelled differently.
    positions = havePositions ? padded(positions, kLeastPositionSpan) : m_plot->yAxis->range();
    velocities = haveVelocities ? padded(velocities, 2) : m_plot->yAxis2->range();
    m_plot->yAxis->setRange(positions);
    m_plot->yAxis2->setRange(velocities);
}

QVector<QPointF> MotionPlot::planned(PlanKind kind, Series series) const
{
    return pointsOf(series == Velocity ? m_plannedVelocity[kind] : m_plannedPosition[kind]);
}

QStringList MotionPlot::phaseMarks() const
{
    return m_markTexts;
}

void MotionPlot::showDesign(const MovePlanner::Plan* current, const MovePlanner::Plan* proposed, double startSeconds)
{
    const MovePlanner::Plan* plans[2] = {current, proposed};
    m_designEndSeconds = 0;
    for (int i : {0, 1}) {
        m_designPosition[i]->data()->clear();
        m_designVelocity[i]->data()->clear();
        if (!plans[i])
            continue;
        addPlan(m_designPosition[i], m_designVelocity[i], *plans[i], startSeconds);
        m_designEndSeconds = qMax(m_designEndSeconds, startSeconds + plans[i]->endSeconds());
    }
    m_dirty = true;
    scheduleRedraw(true);
}

QVector<QPointF> MotionPlot::designed(bool proposed) const
{
    return pointsOf(m_designPosition[proposed ? 1 : 0]);
}

double MotionPlot::planEndSeconds() const
{
    double end = 0;
    for (PlanKind kind : {MovePlans::Move, MovePlans::Preview}) {
        if (const MovePlans::Drawn* drawn = m_plans.drawn(kind, m_motor))
            end = qMax(end, drawn->startSeconds + drawn->plan.endSeconds());
    }
    return end;
}

void MotionPlot::drawPlans()
{
    for (QCPAbstractItem* item : qAsConst(m_marks))
        m_plot->removeItem(item);
    m_marks.clear();
    m_markTexts.clear();
    m_arrival->data()->clear();
    drawPlan(MovePlans::Move);
    drawPlan(MovePlans::Preview);
    m_dirty = true;
    scheduleRedraw(true);
}

void MotionPlot::drawPlan(PlanKind kind)
{
    m_plannedPosition[kind]->data()->clear();
    m_plannedVelocity[kind]->data()->clear();
    const MovePlans::Drawn* drawn = m_plans.drawn(kind, m_motor);
    if (!drawn)
        return;
    const MovePlanner::Plan& plan = drawn->plan;
    const double start = drawn->startSeconds;

    addPlan(m_plannedPosition[kind], m_plannedVelocity[kind], plan, start);
    if (plan.arrives())
        m_arrival->addData(start + plan.arrival, plan.phases.last().endPosition);

    // The phases of the move under way are marked where they start, those of
    // a preview when no move is under way; phases starting together share a mark.
    if (kind == MovePlans::Preview && !m_markTexts.isEmpty())
        return;
    QList<QPair<double, QString>> marks;
    for (const MovePlanner::Phase& phase : plan.phases) {
        if (!marks.isEmpty() && marks.last().first == phase.startTime)
            marks.last().second += QLatin1Char('+') + phase.name;
        else
            marks.append(qMakePair(phase.startTime, phase.name));
    }
    QFont font = m_plot->font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    const QFontMetrics metrics(font);
    // Each label takes the highest row where it clears the label before it;
    // a phase too short for any row keeps its line without a label (the plan
    // box lists every phase). The view is always kWindowSeconds wide.
    const double pixelsPerSecond = m_plot->axisRect()->width() / kWindowSeconds;
    double rowEnds[kMarkRows];
    std::fill(std::begin(rowEnds), std::end(rowEnds), std::numeric_limits<double>::lowest());
    for (int i = 0; i < marks.size(); ++i) {
        const double x = start + marks.at(i).first;
        auto* line = new QCPItemStraightLine(m_plot);
        line->point1->setCoords(x, 0);
        line->point2->setCoords(x, 1);
        line->setPen(QPen(QColor(0, 0, 0, 70), 1));
        m_marks << line;
        m_markTexts << QStringLiteral("%1 %2").arg(marks.at(i).first, 0, 'f', 3).arg(marks.at(i).second);
        const double left = x * pixelsPerSecond;
        double* row = std::find_if(std::begin(rowEnds), std::end(rowEnds), [left](double end) { return end <= left; });
        if (row == std::end(rowEnds))
            continue;
        *row = left + metrics.horizontalAdvance(marks.at(i).second) + kMarkGapPixels;
        auto* label = new QCPItemText(m_plot);
        label->position->setTypeX(QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setCoords(x, 0.01 + 0.05 * double(row - std::begin(rowEnds)));
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setPadding(QMargins(2, 0, 2, 0));
        label->setFont(font);
        label->setColor(QColor(60, 60, 60));
        label->setText(marks.at(i).second);
        m_marks << label;
    }
}
