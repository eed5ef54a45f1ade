// SPDX-License-Identifier: MIT
#include "positionmode_orsax.h"

#include "common/toolconstants.h"
#include "model/registercontroller.h"
#include "model/zyrafield.h"
#include "ui_positionmode_orsax.h"

namespace {
// The value of the motion-mode field that selects position motion.
constexpr int kPositionMotionMode = 3;

bool isPresent(const QPointer<Model::ZYRAField>& field)
{
    return field && field->exists();
}
} // namespace

PositionMode_Orsax::PositionMode_Orsax(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant)
    : GenericPositionMode(std::move(name), motor, module, variant)
    , ui(std::make_unique<Ui_PositionMode_Orsax>())
{
    ui->setupUi(this);
    setToolsName(QLatin1String(ToolConstants::kToolName));
    LastTarget::fillRelativeTo(ui->cmbRelativeTo);

    m_actualPosition = lookUpField(QStringLiteral("PID_POSITION_ACTUAL"));
    m_targetPosition = lookUpField(QStringLiteral("PID_POSITION_TARGET"));
    m_motionMode = lookUpField(QStringLiteral("MODE_MOTION"));

    if (m_targetPosition) {
        const qint64 minimum = m_targetPosition->minimum();
        const qint64 maximum = m_targetPosition->maximum();
        ui->sbTargetPosition->setMaximum(int(maximum));
        ui->sbTargetPosition->setMinimum(int(minimum));
        ui->sbTargetPosition->setToolTip(QStringLiteral("Reg: ") + m_targetPosition->addressHexString()
                                         + QStringLiteral(" (") + QString::number(minimum) + QStringLiteral("..")
                                         + QString::number(maximum) + QStringLiteral(")"));
    }

    if (m_actualPosition) {
        connect(m_actualPosition.data(), &Model::ZYRAField::valueUpdated, this,
                [this](int position) { ui->sbActualPosition->setValue(position); });
    }

    connect(ui->btnMoveAbsolute, &QPushButton::clicked, this, &PositionMode_Orsax::btnMoveAbsoluteClicked);
    connect(ui->btnMoveRelative, &QPushButton::clicked, this, &PositionMode_Orsax::btnMoveRelativeClicked);
    connect(ui->btnStop, &QPushButton::clicked, this, &PositionMode_Orsax::btnStopClicked);
    connect(ui->btnClear, &QPushButton::clicked, this, &PositionMode_Orsax::btnClearClicked);
}

PositionMode_Orsax::~PositionMode_Orsax() = default;

Model::ZYRAField* PositionMode_Orsax::lookUpField(const QString& name) const
{
    Model::RegisterController* registers = registerController();
    return registers ? registers->get(name, false) : nullptr;
}

// Without the actual-position field no position is known and this is 0.
int PositionMode_Orsax::getActualPosition()
{
    return m_actualPosition ? m_actualPosition->value(nullptr) : 0;
}

std::optional<qint32> PositionMode_Orsax::readActualPosition()
{
    if (!isPresent(m_actualPosition))
        return std::nullopt;
    return getActualPosition();
}

// Without the target field nothing is written: switching the IC to position
// motion alone would send the motor to whatever target its register holds.
// Without the motion-mode field the target is still written.
void PositionMode_Orsax::setTargetPosition(int position)
{
    if (!isPresent(m_targetPosition))
        return;
    if (isPresent(m_motionMode))
        m_motionMode->setValue(kPositionMotionMode);
    m_targetPosition->setValue(position);
}

void PositionMode_Orsax::showPlugin()
{
    if (m_actualPosition)
        addTrace(m_actualPosition->xmlParameter(), 0);
}

void PositionMode_Orsax::hidePlugin()
{
    removeAllTraces();
}

void PositionMode_Orsax::btnMoveAbsoluteClicked()
{
    m_lastTarget.moveAbsolute(ui->sbTargetPosition->value());
}

void PositionMode_Orsax::btnMoveRelativeClicked()
{
    m_lastTarget.moveRelative(ui->sbTargetPosition->value(), ui->cmbRelativeTo);
}

void PositionMode_Orsax::btnStopClicked()
{
    m_lastTarget.stop();
}

void PositionMode_Orsax::btnClearClicked()
{
    if (isPresent(m_actualPosition))
        m_actualPosition->setValue(0);
}
