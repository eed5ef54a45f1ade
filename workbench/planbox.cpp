// SPDX-License-Identifier: MIT
#include "planbox.h"

#include "moveplans.h"
#include "tablecell.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
QString whole(double value)
{
    return QString::number(qint64(std::llround(value)));
}

} // namespace

PlanBox::PlanBox(MovePlans& plans, QWidget* parent)
    : QWidget(parent)
    , m_plans(plans)
{
    setObjectName(QStringLiteral("planBox"));
    m_value = new QSpinBox(this);
    m_value->setObjectName(QStringLiteral("planDistance"));
    m_value->setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    m_value->setAccelerated(true);
    m_value->setToolTip(QStringLiteral("The distance or target of the move to plan"));
    m_reference = new QComboBox(this);
    m_reference->setObjectName(QStringLiteral("planReference"));
    m_reference->addItems({QStringLiteral("from actual position"), QStringLiteral("absolute target")});
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("planSummary"));
    m_summary->setWordWrap(true);
    m_phases = new QTableWidget(0, 4, this);
    m_phases->setObjectName(QStringLiteral("planPhases"));
    m_phases->setHorizontalHeaderLabels({QStringLiteral("Phase"), QStringLiteral("Duration [s]"),
                                         QStringLiteral("Distance"), QStringLiteral("Velocity at end")});
    m_phases->verticalHeader()->hide();
    m_phases->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_phases->horizontalHeader()->setStretchLastSection(true);
    m_phases->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_phases->setTabKeyNavigation(false);

    auto* move = new QHBoxLayout;
    auto* moveLabel = new QLabel(QStringLiteral("&Move"), this);
    moveLabel->setBuddy(m_value);
    move->addWidget(moveLabel);
    move->addWidget(m_value, 1);
    move->addWidget(m_reference);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(move);
    layout->addWidget(m_summary);
    layout->addWidget(m_phases, 1);

    connect(m_value, QOverload<int>::of(&QSpinBox::valueChanged), this, &PlanBox::moveTyped);
    connect(m_reference, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &PlanBox::moveTyped);
    connect(&m_plans, &MovePlans::previewReplanned, this, &PlanBox::showPlan);
    showPlan();
}

void PlanBox::setMotor(quint8 motor)
{
    m_motor = motor;
    moveTyped();
}

void PlanBox::setMove(Reference reference, qint32 value)
{
    m_reference->setCurrentIndex(reference);
    m_value->setValue(value);
}

void PlanBox::moveTyped()
{
    m_plans.setPreview(m_motor, m_reference->currentIndex() == Absolute ? MovePlans::Absolute : MovePlans::Relative,
                       m_value->value());
}

void PlanBox::showPlan()
{
    const MovePlanner::Plan& plan = m_plans.preview();
    if (!m_plans.hasPreview())
        m_summary->setText(QStringLiteral("Type a distance or a target to plan a move"));
    else if (!plan.arrives())
        m_summary->setText(QStringLiteral("Never arrives: with a maximum velocity of 0 the motor does not move"));
    else
        m_summary->setText(QStringLiteral("Duration %1 s, peak velocity %2 positions/s")
                               .arg(plan.arrival, 0, 'f', 3)
                               .arg(MovePlans::velocityText(plan.peakVelocity)));
    m_summary->setToolTip(
        QStringLiteral("The move typed above as the tool makes it (in position mode), planned from where the motor "
                       "is now with the device's ramp settings"));
    // A brake through several bands is one row.
    QVector<MovePlanner::Phase> rows;
    for (const MovePlanner::Phase& phase : plan.phases) {
        if (!rows.isEmpty() && rows.last().name == phase.name) {
            rows.last().endTime = phase.endTime;
            rows.last().endPosition = phase.endPosition;
            rows.last().endVelocity = phase.endVelocity;
        } else {
            rows.append(phase);
        }
    }
    m_phases->setRowCount(rows.size());
    // An empty table is no place for the keyboard's focus.
    m_phases->setFocusPolicy(rows.isEmpty() ? Qt::NoFocus : Qt::StrongFocus);
    for (int row = 0; row < rows.size(); ++row) {
        const MovePlanner::Phase& phase = rows.at(row);
        // Between the rounded positions, so that the rows add up to the move.
        const double distance = MovePlanner::wrapped(std::round(phase.endPosition) - std::round(phase.startPosition));
        m_phases->setItem(row, 0, readOnlyCell(phase.name, false));
        m_phases->setItem(row, 1, readOnlyCell(QString::number(phase.duration(), 'f', 3), true));
        m_phases->setItem(row, 2, readOnlyCell(whole(distance), true));
        m_phases->setItem(row, 3, readOnlyCell(MovePlans::velocityText(phase.endVelocity), true));
    }
}
