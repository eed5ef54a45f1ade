#include "motionplot.h"

#include "device/simulateddevice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <algorithm>

namespace {
constexpr int kRedrawMs = 50;
constexpr int kMeasuredGraphs = 3;         // target, actual, velocity
constexpr double kPlanAheadSeconds = 10.0; // how far the view reaches ahead of now for a plan
constexpr int kSamplesPerPhase = 24;
const QColor kTargetColour(230, 126, 34);
const QColor kActualColour(41, 98, 255);
const QColor kVelocityColour(46, 160, 67);

QString role(const char* name)
{
    return QLatin1String(name);
}

// A value range around `range` with a little room, and never empty.
QCPRange padded(QCPRange range)
{
    if (range.size() <= 0)
        return QCPRange(range.lower - 1, range.upper + 1);
    const double margin = range.size() * 0.08;
    return QCPRange(range.lower - margin, range.upper + margin);
}
} // namespace

MotionPlot::MotionPlot(QWidget* parent)
    : QWidget(parent)
{
    m_plot = new QCustomPlot(this);
    m_plot->setObjectName(QStringLiteral("motionPlot"));
    m_plot->setMinimumHeight(180);
    m_plot->setNoAntialiasingOnDrag(true);

    m_plot->xAxis->setLabel(QStringLiteral("Device time [s]"));
    m_plot->yAxis->setLabel(QStringLiteral("Position"));
    m_plot->yAxis2->setLabel(QStringLiteral("Velocity [positions/s]"));
    m_plot->yAxis2->setVisible(true);
    for (QCPAxis* axis : {m_plot->yAxis, m_plot->yAxis2})
        axis->setNumberFormat(QStringLiteral("gb"));

    QCPGraph* target = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    target->setName(QStringLiteral("Target position"));
    target->setPen(QPen(kTargetColour, 1.6, Qt::DashLine));
    QCPGraph* actual = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    actual->setName(QStringLiteral("Actual position"));
    actual->setPen(QPen(kActualColour, 2.2));
    QCPGraph* velocity = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
    velocity->setName(QStringLiteral("Velocity"));
    velocity->setPen(QPen(kVelocityColour, 1.4));

    // The plans: dashed for the move under way, dotted and lighter for a preview.
    for (PlanKind kind : {Move, Preview}) {
        const Qt::PenStyle style = kind == Move ? Qt::DashLine : Qt::DotLine;
        const int alpha = kind == Move ? 255 : 170;
        QColor position = kActualColour;
        QColor speed = kVelocityColour;
        position.setAlpha(alpha);
        speed.setAlpha(alpha);
        m_plannedPosition[kind] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
        m_plannedPosition[kind]->setPen(QPen(position, 1.6, style));
        m_plannedVelocity[kind] = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
        m_plannedVelocity[kind]->setPen(QPen(speed, 1.4, style));
        if (kind == Preview) {
            m_plannedPosition[kind]->removeFromLegend();
            m_plannedVelocity[kind]->removeFromLegend();
        }
    }
    m_plannedPosition[Move]->setName(QStringLiteral("Planned position"));
    m_plannedVelocity[Move]->setName(QStringLiteral("Planned velocity"));
    m_arrival = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
    m_arrival->setName(QStringLiteral("Planned arrival"));
    m_arrival->setLineStyle(QCPGraph::lsNone);
    m_arrival->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, kActualColour, Qt::white, 8));

    // The legend sits in a row of its own above the curves, never over them.
    m_plot->legend->setVisible(true);
    m_plot->legend->setWrap(3); // measured curves in the first row, planned ones below
    m_plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    m_plot->legend->setBorderPen(Qt::NoPen);
    m_plot->legend->setBrush(Qt::NoBrush);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, m_plot->legend);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    m_plot->legend->setMargins(QMargins(4, 2, 4, 0));
    m_plot->xAxis->setRange(0, WindowSeconds);
    m_plot->yAxis->setRange(-1, 1);
    m_plot->yAxis2->setRange(-1, 1);

    // The user may zoom and drag the value axes; time always shows the last 20 s.
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setRangeDrag(Qt::Vertical);
    m_plot->axisRect()->setRangeZoom(Qt::Vertical);
    m_plot->axisRect()->setRangeDragAxes(QList<QCPAxis*>{m_plot->yAxis, m_plot->yAxis2});
    m_plot->axisRect()->setRangeZoomAxes(QList<QCPAxis*>{m_plot->yAxis, m_plot->yAxis2});
    const auto userScaled = [this] { setAutoScale(false); };
    connect(m_plot, &QCustomPlot::mousePress, this, userScaled);
    connect(m_plot, &QCustomPlot::mouseWheel, this, userScaled);

    m_pause = new QToolButton(this);
    m_pause->setObjectName(QStringLiteral("plotPause"));
    m_pause->setText(QStringLiteral("&Pause"));
    m_pause->setCheckable(true);
    m_pause->setToolTip(QStringLiteral("Freeze the plot; samples are still taken (Alt+P)"));
    m_autoScale = new QToolButton(this);
    m_autoScale->setObjectName(QStringLiteral("plotAutoScale"));
    m_autoScale->setText(QStringLiteral("&Auto-scale"));
    m_autoScale->setCheckable(true);
    m_autoScale->setChecked(true);
    m_autoScale->setToolTip(QStringLiteral("Fit the position and velocity axes to the data (Alt+A); "
                                           "dragging or zooming an axis turns it off"));
    connect(m_pause, &QToolButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? QStringLiteral("Res&ume") : QStringLiteral("&Pause"));
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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_plot, 1);

    m_redraw.setInterval(kRedrawMs);
    connect(&m_redraw, &QTimer::timeout, this, &MotionPlot::redraw);
    m_redraw.start();
}

MotionPlot::~MotionPlot() = default;

void MotionPlot::setSource(SimulatedDevice* device, quint8 motor)
{
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    m_device = device;
    m_motor = motor;
    clear();
    if (!device)
        return;
    connect(device, &SimulatedDevice::advanced, this, &MotionPlot::sample);
    sample(device->timeMs());
}

void MotionPlot::clear()
{
    for (int i = 0; i < kMeasuredGraphs; ++i)
        m_plot->graph(i)->data()->clear();
    m_plans[Move].clear();
    m_plans[Preview].clear();
    drawPlans();
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

int MotionPlot::sampleCount() const
{
    return m_plot->graph(Actual)->dataCount();
}

QVector<QPointF> MotionPlot::samples(Series series) const
{
    QVector<QPointF> result;
    const QSharedPointer<QCPGraphDataContainer> data = m_plot->graph(int(series))->data();
    result.reserve(data->size());
    for (auto it = data->constBegin(); it != data->constEnd(); ++it)
        result.append(QPointF(it->key, it->value));
    return result;
}

void MotionPlot::sample(qint64 timeMs)
{
    if (!m_device)
        return;
    const double seconds = timeMs / 1000.0;
    const auto position = [this](const char* name) {
        return double(qint32(quint32(quint64(m_device->motionValue(m_motor, role(name), 0)))));
    };
    const double target = position("target");
    const double actual = position("actual");
    const double velocity = m_device->motionState(m_motor).velocity;
    // Samples of the same instant replace each other.
    if (sampleCount() > 0 && seconds <= m_lastSeconds) {
        for (int i = 0; i < kMeasuredGraphs; ++i)
            m_plot->graph(i)->data()->removeAfter(seconds - 1e-9);
    }
    m_plot->graph(Target)->addData(seconds, target);
    m_plot->graph(Actual)->addData(seconds, actual);
    m_plot->graph(Velocity)->addData(seconds, velocity);
    for (int i = 0; i < m_plot->graphCount(); ++i)
        m_plot->graph(i)->data()->removeBefore(seconds - WindowSeconds);
    m_lastSeconds = seconds;
    m_dirty = true;
}

void MotionPlot::redraw()
{
    if (!m_dirty || isPaused() || !isVisible())
        return;
    replotNow();
}

void MotionPlot::replotNow()
{
    // The first 20 s of device time fill the window from its left edge.
    // A plan reaches ahead of now, up to a while.
    const double end = qMax(m_lastSeconds, qMin(planEndSeconds(), m_lastSeconds + kPlanAheadSeconds));
    const double start = qMax(0.0, end - WindowSeconds);
    m_plot->xAxis->setRange(start, start + WindowSeconds);
    if (autoScale())
        rescaleValueAxes();
    m_plot->replot();
    m_dirty = false;
}

void MotionPlot::rescaleValueAxes()
{
    bool found = false;
    QCPRange positions = m_plot->graph(Target)->data()->valueRange(found);
    if (!found)
        return;
    positions.expand(m_plot->graph(Actual)->data()->valueRange(found));
    QCPRange velocities = m_plot->graph(Velocity)->data()->valueRange(found);
    for (PlanKind kind : {Move, Preview}) {
        bool planned = false;
        const QCPRange position = m_plannedPosition[kind]->data()->valueRange(planned);
        if (planned)
            positions.expand(position);
        const QCPRange velocity = m_plannedVelocity[kind]->data()->valueRange(planned);
        if (planned)
            velocities.expand(velocity);
    }
    // Keep zero velocity in view, so that a standstill reads as one.
    velocities.expand(0.0);
    positions = padded(positions);
    velocities = padded(velocities);
    // With position zero in view, both zeros sit on one line.
    if (positions.contains(0)) {
        const auto zeroAt = [](const QCPRange& range) { return -range.lower / range.size(); };
        const double shared = qMax(zeroAt(positions), zeroAt(velocities));
        const auto lowered = [shared](QCPRange range) {
            if (shared < 1)
                range.lower = qMin(range.lower, -shared * range.upper / (1 - shared));
            return range;
        };
        positions = lowered(positions);
        velocities = lowered(velocities);
    }
    m_plot->yAxis->setRange(positions);
    m_plot->yAxis2->setRange(velocities);
}

void MotionPlot::setPlan(PlanKind kind, quint8 motor, double startSeconds, const MovePlanner::Plan& plan)
{
    if (plan.phases.isEmpty()) {
        if (m_plans[kind].remove(motor) == 0)
            return;
    } else {
        m_plans[kind].insert(motor, Drawn{startSeconds, plan});
    }
    if (motor == m_motor)
        drawPlans();
}

QVector<QPointF> MotionPlot::planned(PlanKind kind, Series series) const
{
    QVector<QPointF> result;
    const QCPGraph* graph = series == Velocity ? m_plannedVelocity[kind] : m_plannedPosition[kind];
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        result.append(QPointF(it->key, it->value));
    return result;
}

QStringList MotionPlot::phaseMarks() const
{
    return m_markTexts;
}

double MotionPlot::planEndSeconds() const
{
    double end = 0;
    for (PlanKind kind : {Move, Preview}) {
        const auto drawn = m_plans[kind].constFind(m_motor);
        if (drawn != m_plans[kind].constEnd())
            end = qMax(end, drawn->startSeconds + drawn->plan.arrival);
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
    drawPlan(Move);
    drawPlan(Preview);
    m_dirty = true;
}

void MotionPlot::drawPlan(PlanKind kind)
{
    m_plannedPosition[kind]->data()->clear();
    m_plannedVelocity[kind]->data()->clear();
    const auto drawn = m_plans[kind].constFind(m_motor);
    if (drawn == m_plans[kind].constEnd())
        return;
    const MovePlanner::Plan& plan = drawn->plan;
    const double start = drawn->startSeconds;

    // Position is a parabola within a phase, velocity a straight line; a
    // phase of no duration is a jump of the velocity.
    m_plannedPosition[kind]->addData(start, plan.startPosition);
    m_plannedVelocity[kind]->addData(start, plan.startVelocity);
    for (const MovePlanner::Phase& phase : plan.phases) {
        if (phase.duration() > 0) {
            for (int i = 1; i < kSamplesPerPhase; ++i) {
                const double t = phase.startTime + phase.duration() * i / kSamplesPerPhase;
                m_plannedPosition[kind]->addData(start + t, plan.positionAt(t));
            }
        }
        m_plannedPosition[kind]->addData(start + phase.endTime, phase.endPosition);
        m_plannedVelocity[kind]->addData(start + phase.endTime, phase.endVelocity);
    }
    m_arrival->addData(start + plan.arrival, plan.phases.last().endPosition);

    // The phases of the move under way are marked where they start, those of
    // a preview when no move is under way; phases starting together share a mark.
    if (kind == Preview && !m_markTexts.isEmpty())
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
    for (int i = 0; i < marks.size(); ++i) {
        const double x = start + marks.at(i).first;
        auto* line = new QCPItemStraightLine(m_plot);
        line->point1->setCoords(x, 0);
        line->point2->setCoords(x, 1);
        line->setPen(QPen(QColor(0, 0, 0, 70), 1));
        auto* label = new QCPItemText(m_plot);
        label->position->setTypeX(QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        // Neighbouring labels take turns in three rows, so short phases stay readable.
        label->position->setCoords(x, 0.01 + 0.05 * (i % 3));
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setPadding(QMargins(2, 0, 2, 0));
        label->setFont(font);
        label->setColor(QColor(60, 60, 60));
        label->setText(marks.at(i).second);
        m_marks << line << label;
        m_markTexts << QStringLiteral("%1 %2").arg(marks.at(i).first, 0, 'f', 3).arg(marks.at(i).second);
    }
}
