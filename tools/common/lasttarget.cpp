// SPDX-License-Identifier: MIT
#include "lasttarget.h"

#include "positionarithmetic.h"
#include "toolconstants.h"

#include <QComboBox>

LastTarget::LastTarget(MissingActual rule, ReadActual readActual, Command command)
    : m_rule(rule)
    , m_readActual(std::move(readActual))
    , m_command(std::move(command))
{
}

void LastTarget::fillRelativeTo(QComboBox* relativeTo)
{
    relativeTo->addItem(QLatin1String(ToolConstants::kRelativeToActual));
    relativeTo->addItem(QLatin1String(ToolConstants::kRelativeToTarget));
}

void LastTarget::moveAbsolute(qint32 target)
{
    m_value = target;
    m_command(target);
}

void LastTarget::moveRelative(qint32 step, const QComboBox* relativeTo)
{
    if (relativeTo->currentText().startsWith(QLatin1String(ToolConstants::kRelativeToTarget), Qt::CaseSensitive)) {
        m_value = PositionArithmetic::wrappingAdd(m_value, step);
        m_command(m_value);
        return;
    }
    // The base is read before the last target advances: it may stand in for the position.
    const std::optional<qint32> from = base();
    m_value = PositionArithmetic::wrappingAdd(m_value, step);
    if (from)
        m_command(PositionArithmetic::wrappingAdd(*from, step));
}

void LastTarget::stop()
{
    if (const std::optional<qint32> target = base())
        m_command(*target);
}

std::optional<qint32> LastTarget::base() const
{
    if (const std::optional<qint32> actual = m_readActual())
        return actual;
    switch (m_rule) {
    case MissingActual::Zero:
        return 0;
    case MissingActual::LastTarget:
        return m_value;
    case MissingActual::Skip:
        break;
    }
    return std::nullopt;
}
