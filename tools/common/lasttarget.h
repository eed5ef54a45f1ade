#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

class QComboBox;

// What a tool moves from when the module offers no actual position.
enum class MissingActual {
    Zero,       // the position reads as 0: Stop and relative moves go from 0
    Skip,       // there is no base: Stop and moves relative to it do nothing
    LastTarget, // the last commanded target stands in for the position
};

// The last commanded target of a tool and the targets its moves command. A
// relative move advances the last target by its step whichever base it takes,
// so that switching to "target position" later continues from every step made.
class LastTarget
{
public:
    // Reads the actual position from the device; nothing when the module has none.
    using ActualReader = std::function<std::optional<qint32>()>;

    explicit LastTarget(MissingActual rule);

    qint32 value() const { return m_value; }
    void set(qint32 target) { m_value = target; }

    // Fills the relative-to box with its two entries.
    static void fillRelativeTo(QComboBox* relativeTo);
    // Whether the box asks for moves from the last target.
    static bool isRelativeToTarget(const QComboBox* relativeTo);

    // An absolute move: the target becomes the last target.
    qint32 absolute(qint32 target);
    // A relative move by `step`; the target to command, or nothing.
    std::optional<qint32> relative(qint32 step, bool fromTarget, const ActualReader& readActual);
    // Stop is a move to where the motor is now; the last target stays.
    std::optional<qint32> stop(const ActualReader& readActual) const;

private:
    std::optional<qint32> base(const ActualReader& readActual) const;

    MissingActual m_rule;
    qint32 m_value = 0;
};
