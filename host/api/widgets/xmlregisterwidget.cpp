// SPDX-License-Identifier: MIT
#include "xmlregisterwidget.h"

#include "model/xmlvalueregister.h"
#include "model/xmlvalueregisterfield.h"
#include "model/zyrafield.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QSpinBox>

#include <limits>

namespace {
constexpr qint64 kIntMin = std::numeric_limits<int>::min();
constexpr qint64 kIntMax = std::numeric_limits<int>::max();
constexpr char kHighlightStyle[] = "QSpinBox { background-color: #FFE7A8; border: 1px solid #E08A00; }";

int toInt(qint64 value)
{
    return int(qBound(kIntMin, value, kIntMax));
}
} // namespace

XmlRegisterWidget::XmlRegisterWidget(XmlValueRegisterField* field, QObject* parent)
    : QObject(parent)
    , m_registerField(field)
{
    buildEditor();
}

XmlRegisterWidget::XmlRegisterWidget(Model::ZYRAField* field, QObject* parent)
    : QObject(parent)
    , m_registerField(field ? field->registerField() : nullptr)
    , m_field(field)
{
    buildEditor();
    if (!field)
        return;
    show(field->lastKnownValue());
    connect(field, &Model::ZYRAField::valueUpdated, this, &XmlRegisterWidget::show);
    connect(field, &Model::ZYRAField::valueChanged, this, &XmlRegisterWidget::show);
}

XmlRegisterWidget::~XmlRegisterWidget()
{
    if (m_spinBox && !m_spinBox->parent())
        delete m_spinBox;
}

void XmlRegisterWidget::buildEditor()
{
    const QString name = label();
    setObjectName(name);
    m_spinBox = new QSpinBox;
    m_spinBox->setObjectName(name);
    m_spinBox->setKeyboardTracking(false);
    m_spinBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_spinBox->setMinimumWidth(110);
    if (m_registerField) {
        m_spinBox->setRange(toInt(m_registerField->minimum()), toInt(m_registerField->maximum()));
        const XmlValueRegister* reg = m_registerField->getRegister();
        m_spinBox->setToolTip(QStringLiteral("%1: register %2 (0x%3), bits %4..%5, %6..%7")
                                  .arg(name, reg ? reg->name() : QString())
                                  .arg(reg ? reg->address() : 0, 4, 16, QLatin1Char('0'))
                                  .arg(m_registerField->shift())
                                  .arg(m_registerField->shift() + m_registerField->bitWidth() - 1)
                                  .arg(m_registerField->minimum())
                                  .arg(m_registerField->maximum()));
        show(m_registerField->getFieldValue(reg ? reg->defaultValue() : 0));
    }
    m_spinBox->installEventFilter(this);
    connect(m_spinBox, &QSpinBox::editingFinished, this, &XmlRegisterWidget::commit);
}

QWidget* XmlRegisterWidget::widget() const
{
    return m_spinBox;
}

QString XmlRegisterWidget::label() const
{
    if (m_registerField)
        return m_registerField->name();
    return m_field ? m_field->objectName() : QString();
}

void XmlRegisterWidget::setAndUpdateValue(unsigned long long value)
{
    show(qint64(value));
}

void XmlRegisterWidget::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    if (m_spinBox)
        m_spinBox->setStyleSheet(highlighted ? QLatin1String(kHighlightStyle) : QString());
}

bool XmlRegisterWidget::eventFilter(QObject* watched, QEvent* event)
{
    // Only the editor is watched; it is not compared with m_spinBox, which
    // would cast an editor that is being destroyed.
    if (event->type() == QEvent::Enter)
        emit hoverEnterWidget();
    else if (event->type() == QEvent::Leave)
        emit hoverLeaveWidget();
    return QObject::eventFilter(watched, event);
}

void XmlRegisterWidget::show(qint64 value)
{
    m_shown = value;
    if (m_spinBox) {
        const QSignalBlocker blocker(m_spinBox);
        m_spinBox->setValue(toInt(value));
    }
}

void XmlRegisterWidget::commit()
{
    if (!m_spinBox || m_spinBox->value() == m_shown)
        return;
    const int value = m_spinBox->value();
    m_shown = value;
    emit valueChanged(value);
    if (m_field)
        m_field->setValue(value);
}
