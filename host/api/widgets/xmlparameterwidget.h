// SPDX-License-Identifier: MIT
#pragma once

#include "model/basexmlparameter.h"

#include <QObject>
#include <QPointer>

#include <stdexcept>

class QCheckBox;
class QSpinBox;
class QWidget;
class XmlParameterInterface;

// Thrown by XmlParameterWidget::initializeSpinbox for a description a spin box cannot show.
class XmlParameterSetupError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// An editor of one axis parameter: a spin box, or a check box for an on/off
// parameter. It shows what the parameter reports and writes what the user
// confirms. The editor widget itself is placed by whoever uses it.
class XmlParameterWidget : public QObject
{
    Q_OBJECT

public:
    enum DisplayType { DisplayDefault = 0, DisplaySpinBox = 1, DisplayCheckBox = 2 };

    XmlParameterWidget(Model::BaseXMLParameter* parameter, QWidget* parent);
    XmlParameterWidget(Model::BaseXMLParameter* parameter, DisplayType type, QWidget* parent);
    ~XmlParameterWidget() override;

    // The editor; null when there is no parameter to edit.
    QWidget* widget() const;
    void setSingleStep(int step);
    void setReadOnly(bool readOnly);
    Model::BaseXMLParameter* modelParameter() const { return m_parameter; }
    DisplayType displayType() const { return m_type; }

    // Sets a spin box's range and tool tip from a parameter's description.
    // Throws XmlParameterSetupError when the description cannot be shown.
    static void initializeSpinbox(QSpinBox* spinBox, XmlParameterInterface* parameter);

private:
    void show(qint64 value);
    void commitSpinBox();

    QPointer<Model::BaseXMLParameter> m_parameter;
    DisplayType m_type;
    QPointer<QSpinBox> m_spinBox;
    QPointer<QCheckBox> m_checkBox;
};
