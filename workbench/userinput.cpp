// SPDX-License-Identifier: MIT
#include "userinput.h"

#include "core/excerpt.h"
#include "scriptparser.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>

namespace {
QString describe(const QObject* target)
{
    return QStringLiteral("\"%1\" (%2)")
        .arg(Excerpt::of(target->objectName()), QLatin1String(target->metaObject()->className()));
}

bool onOff(const QString& value, bool* on, QString* error)
{
    if (value != QLatin1String("on") && value != QLatin1String("off")) {
        *error = QStringLiteral("expected on or off, not \"%1\"").arg(Excerpt::of(value));
        return false;
    }
    *on = value == QLatin1String("on");
    return true;
}

void sendKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}
} // namespace

void UserInput::type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        // Printable ASCII characters have key codes of their upper-case code.
        const int key = c.unicode() < 0x80 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
        sendKey(widget, key, QString(c));
    }
    sendKey(widget, Qt::Key_Enter, QString());
}

UserInput::Result UserInput::set(QObject* target, const QString& value, QString* error)
{
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget) {
        *error = QStringLiteral("%1 is not a widget").arg(describe(target));
        return Failed;
    }
    if (auto* spinBox = qobject_cast<QSpinBox*>(widget)) {
        qint64 number = 0;
        if (!ScriptParser::readNumber(value, &number)) {
            *error = QStringLiteral("bad number \"%1\" for spin box %2").arg(Excerpt::of(value), describe(target));
            return Failed;
        }
        // Typed, a number beyond the box's range would come out as another one.
        if (number < spinBox->minimum() || number > spinBox->maximum()) {
            *error = QStringLiteral("%1 is out of the range of spin box %2 (%3 to %4)")
                         .arg(Excerpt::of(value), describe(target))
                         .arg(spinBox->minimum())
                         .arg(spinBox->maximum());
            return Failed;
        }
        if (!spinBox->isEnabled())
            return Disabled;
        spinBox->selectAll();
        type(spinBox, QString::number(number));
        return Done;
    }
    if (auto* spinBox = qobject_cast<QAbstractSpinBox*>(widget)) {
        if (!spinBox->isEnabled())
            return Disabled;
        spinBox->selectAll();
        type(spinBox, value);
        return Done;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const int index = combo->findText(value);
        if (index < 0) {
            *error = QStringLiteral("combo box %1 has no item \"%2\"").arg(describe(target), Excerpt::of(value));
            return Failed;
        }
        if (!combo->isEnabled())
            return Disabled;
        combo->setCurrentIndex(index);
        // Picking an item from the list also reports it as activated.
        QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, index));
        QMetaObject::invokeMethod(combo, "activated", Q_ARG(QString, combo->itemText(index)));
        return Done;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        bool on = false;
        if (!button->isCheckable()) {
            *error = QStringLiteral("button %1 is not checkable").arg(describe(target));
            return Failed;
        }
        if (!onOff(value, &on, error))
            return Failed;
        if (!button->isEnabled())
            return Disabled;
        if (button->isChecked() != on)
            button->click();
        return Done;
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        bool on = false;
        if (!group->isCheckable()) {
            *error = QStringLiteral("group %1 is not checkable").arg(describe(target));
            return Failed;
        }
        if (!onOff(value, &on, error))
            return Failed;
        if (!group->isEnabled())
            return Disabled;
        group->setChecked(on);
        return Done;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (!edit->isEnabled() || edit->isReadOnly())
            return Disabled;
        edit->selectAll();
        type(edit, value);
        return Done;
    }
    *error = QStringLiteral("%1 is not a spin box, combo box, checkable button or group").arg(describe(target));
    return Failed;
}

UserInput::Result UserInput::click(QObject* target, QString* error)
{
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (!button) {
        *error = QStringLiteral("%1 is not a button").arg(describe(target));
        return Failed;
    }
    if (!button->isEnabled())
        return Disabled;
    button->click();
    return Done;
}

UserInput::Result UserInput::hover(QObject* target, bool enter, QString* error)
{
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget) {
        *error = QStringLiteral("%1 is not a widget").arg(describe(target));
        return Failed;
    }
    if (enter) {
        const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
        QEnterEvent event(inside, inside, widget->mapToGlobal(inside.toPoint()));
        QCoreApplication::sendEvent(widget, &event);
    } else {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &event);
    }
    return Done;
}
