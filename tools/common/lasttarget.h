// SPDX-License-Identifier: MIT
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

// The last commanded target of a tool and the moves made from it. A relative
// move advances the last target by its step whichever base it takes, so that
// switching to "target position" later continues from every step made.
class LastTarget
{
public:
    // Reads the actual position from the device; nothing when the module has none.
    using ReadActual = std::function<std::optional<qint32>()>;
    // Commands the motor to a target.
    using Command = std::function<void(qint32)>;

    LastTarget(MissingActual rule, ReadActual readActual, Command command);

    qint32 value() const { return m_value; }
    void set(qint32 target) { m_value = target; }

    // Fills the relative-to box with its two entries.
    static void fillRelativeTo(QComboBox* relativeTo);

    // An absolute move: the target becomes the last target.
    void moveAbsolute(qint32 target);
    // A relative move by `step` from the base the relative-to box names.
    void moveRelative(qint32 step, const QComboBox* relativeTo);
    // Stop is a move to where the motor is now; the last target stays.
    void stop();

private:
    std::optional<qint32> base() const;

    MissingActual m_rule;
    ReadActual m_readActual;
    Command m_command;
    qint32 m_value = 0;
};
