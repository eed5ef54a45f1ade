// SPDX-License-Identifier: MIT
#include "designbox.h"

#include "tablecell.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
using Rule = RampDesigner::Rule;

constexpr qint32 kDefaultDistance = 100000;
constexpr double kDefaultSeconds = 1.5;
constexpr double kDefaultMaxVelocity = 50000;      // positions/s
constexpr double kDefaultMaxAcceleration = 200000; // positions/s²
constexpr double kMostSeconds = 1e6;
constexpr double kMostLimit = 1e9;
constexpr int kRowsShown = 3;

QDoubleSpinBox* decimalBox(const QString& name, int decimals, double low, double high, double value, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(decimals);
    box->setRange(low, high);
    box->setValue(value);
    box->setAccelerated(true);
    return box;
}
} // namespace

DesignBox::DesignBox(RampDesigns& designs, QWidget* parent)
    : QWidget(parent)
    , m_designs(designs)
{
    setObjectName(QStringLiteral("designBox"));
    m_distance = new QSpinBox(this);
    m_distance->setObjectName(QStringLiteral("designDistance"));
    m_distance->setRange(-std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::max());
    m_distance->setValue(kDefaultDistance);
    m_distance->setAccelerated(true);
    m_distance->setToolTip(QStringLiteral("The move to design, from the actual position"));
    m_rule = new QComboBox(this);
    m_rule->setObjectName(QStringLiteral("designRule"));
    m_rule->addItems({QStringLiteral("keep the ramp's shape"), QStringLiteral("gentlest (trapezoid)"),
                      QStringLiteral("fastest within limits")});
    m_seconds = decimalBox(QStringLiteral("designSeconds"), 3, 0.001, kMostSeconds, kDefaultSeconds, this);
    m_seconds->setSuffix(QStringLiteral(" s"));
    m_seconds->setToolTip(QStringLiteral("How long the move is to take"));
    m_maxVelocity = decimalBox(QStringLiteral("designMaxVelocity"), 0, 1, kMostLimit, kDefaultMaxVelocity, this);
    m_maxVelocity->setToolTip(QStringLiteral("The motor's maximum velocity [positions/s]"));
    m_maxAcceleration = decimalBox(QStringLiteral("designMaxAcceleration"), 0, 1, kMostLimit, kDefaultMaxAcceleration,
                                   this);
    m_maxAcceleration->setToolTip(QStringLiteral("The motor's maximum acceleration [positions/s²]"));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("designSummary"));
    m_summary->setWordWrap(true);
    m_settings = new QTableWidget(0, 3, this);
    m_settings->setObjectName(QStringLiteral("designSettings"));
    m_settings->setHorizontalHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Now"), QStringLiteral("Proposed")});
    m_settings->verticalHeader()->hide();
    m_settings->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_settings->horizontalHeader()->setStretchLastSection(true);
    m_settings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Room for a few settings before it scrolls.
    m_settings->setMinimumHeight(m_settings->horizontalHeader()->sizeHint().height()
                                 + kRowsShown * m_settings->verticalHeader()->defaultSectionSize()
                                 + 2 * m_settings->frameWidth());
    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QStringLiteral("designApply"));
    m_apply->setToolTip(QStringLiteral("Write the proposed values through the tool's ramp editors"));
    m_undo = new QPushButton(QStringLiteral("Undo"), this);
    m_undo->setObjectName(QStringLiteral("designUndo"));
    m_undo->setToolTip(QStringLiteral("Put back the values the last Apply replaced"));

    auto* move = new QHBoxLayout;
    move->addWidget(new QLabel(QStringLiteral("Move"), this));
    move->addWidget(m_distance, 1);
    move->addWidget(m_rule);
    move->addWidget(m_apply);
    move->addWidget(m_undo);
    auto* wanted = new QHBoxLayout;
    wanted->addWidget(new QLabel(QStringLiteral("in"), this));
    wanted->addWidget(m_seconds, 1);
    wanted->addWidget(new QLabel(QStringLiteral("or within"), this));
    wanted->addWidget(m_maxVelocity, 1);
    wanted->addWidget(new QLabel(QStringLiteral("/s,"), this));
    wanted->addWidget(m_maxAcceleration, 1);
    wanted->addWidget(new QLabel(QStringLiteral("/s²"), this));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(move);
    layout->addLayout(wanted);
    layout->addWidget(m_summary);
    layout->addWidget(m_settings, 1);

    connect(m_distance, QOverload<int>::of(&QSpinBox::valueChanged), this, &DesignBox::redesign);
    connect(m_rule, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &DesignBox::redesign);
    for (QDoubleSpinBox* box : {m_seconds, m_maxVelocity, m_maxAcceleration})
        connect(box, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &DesignBox::redesign);
    connect(m_apply, &QPushButton::clicked, this, &DesignBox::applyRequested);
    connect(m_undo, &QPushButton::clicked, this, &DesignBox::undoRequested);
    connect(&m_designs, &RampDesigns::undoChanged, this, [this] { m_undo->setEnabled(m_designs.canUndo()); });
    m_undo->setEnabled(false);
    redesign();
}

void DesignBox::setMotor(quint8 motor)
{
    m_motor = motor;
    redesign();
}

RampDesigns::Goal DesignBox::goal() const
{
    RampDesigns::Goal goal;
    goal.distance = m_distance->value();
    goal.rule = Rule(m_rule->currentIndex());
    goal.seconds = m_seconds->value();
    goal.maxVelocity = m_maxVelocity->value();
    goal.maxAcceleration = m_maxAcceleration->value();
    return goal;
}

void DesignBox::setGoal(const RampDesigns::Goal& goal)
{
    m_distance->setValue(int(goal.distance));
    m_rule->setCurrentIndex(int(goal.rule));
    if (goal.rule == Rule::Fastest) {
        m_maxVelocity->setValue(goal.maxVelocity);
        m_maxAcceleration->setValue(goal.maxAcceleration);
    } else {
        m_seconds->setValue(goal.seconds);
    }
}

void DesignBox::redesign()
{
    const bool fastest = m_rule->currentIndex() == int(Rule::Fastest);
    m_seconds->setEnabled(!fastest);
    m_maxVelocity->setEnabled(fastest);
    m_maxAcceleration->setEnabled(fastest);
    m_shown = m_designs.propose(m_motor, goal());
    m_shownSince = m_designs.nowSeconds();
    showProposal();
    emit shownChanged();
}

void DesignBox::showProposal()
{
    const RampDesigner::Proposal& proposal = m_shown;
    QString summary;
    if (!proposal.error.isEmpty()) {
        summary = QStringLiteral("Cannot design this move: %1").arg(proposal.error);
    } else if (!proposal.feasible) {
        summary = QStringLiteral("%1 binds: the %2 to be had is %3 s (now %4 s)")
                      .arg(proposal.limit, proposal.tooFast ? QStringLiteral("shortest") : QStringLiteral("longest"))
                      .arg(proposal.limitSeconds, 0, 'f', 3)
                      .arg(proposal.current.arrival, 0, 'f', 3);
    } else {
        summary = QStringLiteral("Proposed %1 s, peak %2/s (now %3 s, %4/s)")
                      .arg(proposal.plan.arrival, 0, 'f', 3)
                      .arg(qint64(std::llround(proposal.plan.peakVelocity)))
                      .arg(proposal.current.arrival, 0, 'f', 3)
                      .arg(qint64(std::llround(proposal.current.peakVelocity)));
    }
    m_summary->setText(summary);
    m_summary->setToolTip(QStringLiteral("The move from where the motor is, from standstill, in position mode with "
                                         "the ramp on; velocities in positions per second"));
    const QVector<RampDesigner::Setting> changed = proposal.error.isEmpty() ? proposal.changed()
                                                                            : QVector<RampDesigner::Setting>();
    m_settings->setRowCount(changed.size());
    for (int row = 0; row < changed.size(); ++row) {
        m_settings->setItem(row, 0, readOnlyCell(changed.at(row).name, false));
        m_settings->setItem(row, 1, readOnlyCell(QString::number(changed.at(row).now), true));
        m_settings->setItem(row, 2, readOnlyCell(QString::number(changed.at(row).proposed), true));
    }
    m_apply->setEnabled(proposal.error.isEmpty() && proposal.feasible && !changed.isEmpty());
}
