// SPDX-License-Identifier: MIT
#include "xmlparameterwidget.h"

#include "model/basexmlparameter.h"
#include "model/xmlparameterinterface.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include <limits>

namespace {
constexpr qint64 kIntMin = std::numeric_limits<int>::min();
constexpr qint64 kIntMax = std::numeric_limits<int>::max();

int toInt(qint64 value)
{
    return int(qBound(kIntMin, value, kIntMax));
}
} // namespace

XmlParameterWidget::XmlParameterWidget(Model::BaseXMLParameter* parameter, QWidget* parent)
    : XmlParameterWidget(parameter, DisplayDefault, parent)
{
}

XmlParameterWidget::XmlParameterWidget(Model::BaseXMLParameter* parameter, DisplayType type, QWidget* parent)
    : QObject(parent)
    , m_parameter(parameter)
    , m_type(type)
{
    if (!parameter)
        return;
    setObjectName(parameter->role());
    if (type == DisplayCheckBox) {
        m_checkBox = new QCheckBox;
        m_checkBox->setObjectName(parameter->role());
        connect(m_checkBox, &QCheckBox::clicked, this, [this](bool checked) {
            if (m_parameter)
                m_parameter->writeValue(checked ? 1 : 0);
        });
    } else {
        m_spinBox = new QSpinBox;
        m_spinBox->setObjectName(parameter->role());
        m_spinBox->setKeyboardTracking(false);
        m_spinBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_spinBox->setRange(toInt(parameter->minimum()), toInt(parameter->maximum()));
        if (XmlParameterInterface* description = parameter->xmlParameter()) {
            m_spinBox->setToolTip(QStringLiteral("%1 (AP %2, %3..%4)")
                                      .arg(description->getParameterDescription().isEmpty()
                                               ? description->name()
                                               : description->getParameterDescription())
                                      .arg(description->number())
                                      .arg(description->minimum())
                                      .arg(description->maximum()));
        }
        connect(m_spinBox, &QSpinBox::editingFinished, this, &XmlParameterWidget::commitSpinBox);
    }
    show(parameter->lastKnownValue());
    connect(parameter, &Model::AbstractParameter::valueChanged, this, &XmlParameterWidget::show);
    connect(parameter, &Model::AbstractParameter::valueUpdated, this, &XmlParameterWidget::show);
    connect(parameter, &Model::AbstractParameter::setValueFailed, this, &XmlParameterWidget::show);
}

XmlParameterWidget::~XmlParameterWidget()
{
    // An editor nobody placed is still ours.
    if (m_spinBox && !m_spinBox->parent())
        delete m_spinBox;
    if (m_checkBox && !m_checkBox->parent())
        delete m_checkBox;
}

QWidget* XmlParameterWidget::widget() const
{
    if (m_spinBox)
        return m_spinBox;
    return m_checkBox;
}

void XmlParameterWidget::setSingleStep(int step)
{
    if (m_spinBox)
        m_spinBox->setSingleStep(step);
}

void XmlParameterWidget::setReadOnly(bool readOnly)
{
    if (m_spinBox) {
        m_spinBox->setReadOnly(readOnly);
        m_spinBox->setButtonSymbols(readOnly ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    }
    if (m_checkBox)
        m_checkBox->setEnabled(!readOnly);
}

void XmlParameterWidget::initializeSpinbox(QSpinBox* spinBox, XmlParameterInterface* parameter)
{
    if (!spinBox)
        throw XmlParameterSetupError("no spin box to set up");
    if (!parameter)
        throw XmlParameterSetupError("no parameter description");
    if (parameter->minimum() > parameter->maximum()) {
        throw XmlParameterSetupError(QStringLiteral("parameter %1 has an empty range %2..%3")
                                         .arg(parameter->role())
                                         .arg(parameter->minimum())
                                         .arg(parameter->maximum())
                                         .toStdString());
    }
    if (parameter->maximum() < kIntMin || parameter->minimum() > kIntMax) {
        throw XmlParameterSetupError(QStringLiteral("parameter %1: range %2..%3 lies outside what a spin box shows")
                                         .arg(parameter->role())
                                         .arg(parameter->minimum())
                                         .arg(parameter->maximum())
                                         .toStdString());
    }
    spinBox->setRange(toInt(parameter->minimum()), toInt(parameter->maximum()));
    spinBox->setToolTip(parameter->getParameterDescription());
}

void XmlParameterWidget::show(qint64 value)
{
    if (m_spinBox) {
        const QSignalBlocker blocker(m_spinBox);
        m_spinBox->setValue(toInt(value));
    }
    if (m_checkBox) {
        const QSignalBlocker blocker(m_checkBox);
        m_checkBox->setChecked(value != 0);
    }
}

void XmlParameterWidget::commitSpinBox()
{
    if (!m_spinBox || !m_parameter || m_spinBox->isReadOnly())
        return;
    const int value = m_spinBox->value();
    if (value != m_parameter->lastKnownValue())
        m_parameter->writeValue(value);
}
