#include "lasttarget.h"

#include "positionarithmetic.h"
#include "toolconstants.h"

#include <QComboBox>

LastTarget::LastTarget(MissingActual rule)
    : m_rule(rule)
{
}

void LastTarget::fillRelativeTo(QComboBox* relativeTo)
{
    relativeTo->addItem(QLatin1String(ToolConstants::kRelativeToActual));
    relativeTo->addItem(QLatin1String(ToolConstants::kRelativeToTarget));
}

bool LastTarget::isRelativeToTarget(const QComboBox* relativeTo)
{
    return relativeTo->currentText().startsWith(QLatin1String(ToolConstants::kRelativeToTarget), Qt::CaseSensitive);
}

qint32 LastTarget::absolute(qint32 target)
{
    m_value = target;
    return target;
}

std::optional<qint32> LastTarget::relative(qint32 step, bool fromTarget, const ActualReader& readActual)
{
    // The base is read before the last target advances: it may stand in for the position.
    const std::optional<qint32> from = fromTarget ? std::optional<qint32>() : base(readActual);
    m_value = PositionArithmetic::wrappingAdd(m_value, step);
    if (fromTarget)
        return m_value;
    if (!from)
        return std::nullopt;
    return PositionArithmetic::wrappingAdd(*from, step);
}

std::optional<qint32> LastTarget::stop(const ActualReader& readActual) const
{
    return base(readActual);
}

std::optional<qint32> LastTarget::base(const ActualReader& readActual) const
{
    if (const std::optional<qint32> actual = readActual())
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
