// SPDX-License-Identifier: MIT
#pragma once

#include "common/lasttarget.h"
#include "genericpositionmode.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QLabel;
class Ui_PositionMode_AxisParameter;
class XmlParameterWidget;
class ZYRAModuleInterface;

namespace Model {
class BaseXMLParameter;
} // namespace Model

// The position tool of modules commanded through axis parameters: a rotary
// axis (variant 105) or a linear one (108). It moves, stops and clears the
// motor, edits the velocity ramp, and steps aside when the module runs a
// commutation mode or a unit system under which position mode does not work.
class PositionMode_AxisParameter : public GenericPositionMode
{
    Q_OBJECT

public:
    PositionMode_AxisParameter(QString name, quint8 motor, ZYRAModuleInterface* module, int variant);
    ~PositionMode_AxisParameter() override;

    void enableOnCommutationMode(int mode);
    int getActualPosition();
    void setTargetPosition(int position);

    void updateSubWidgetValues(int id) override;
    void registerSubWidgetTraces(int id) override;
    void unRegisterSubWidgetTraces(int id) override;

public slots:
    void importValue(const ExportType* key, QVariant value, QObject* sender) override;
    void handleToggledHideButton(bool toggled);
    void btnMoveAbsoluteClicked();
    void btnMoveRelativeClicked();
    void btnStopClicked();
    void btnClearClicked();
    void btnClearOnNullClicked();
    void gbAccelDecelToggled(bool enableRamp);

private:
    bool isLinear() const;
    XmlParameterWidget* addEditor(Model::BaseXMLParameter* parameter);
    void setupClearOnNull();
    void setupRampEnable();
    void setupRampEditors();
    void setupPositions();
    void readCommutationFeatures();
    void setupCommutationHints();
    void connectControls();

    std::unique_ptr<Ui_PositionMode_AxisParameter> ui;
    QPointer<Model::BaseXMLParameter> rampEnableParameter;
    QPointer<Model::BaseXMLParameter> commutationModeParameter;
    QPointer<Model::BaseXMLParameter> clearOnNullParameter1;
    QPointer<Model::BaseXMLParameter> clearOnNullParameter2;
    QPointer<Model::BaseXMLParameter> actualPositionParameter;
    QPointer<Model::BaseXMLParameter> targetPositionParameter;
    QPointer<Model::BaseXMLParameter> maxVelocityParameter;
    QPointer<Model::BaseXMLParameter> accelerationParameter;
    QPointer<Model::BaseXMLParameter> decelerationParameter;
    QPointer<XmlParameterWidget> maxVelocityWidget;
    QPointer<XmlParameterWidget> accelerationWidget;
    QPointer<XmlParameterWidget> decelerationWidget;
    QPointer<XmlParameterWidget> actualPositionWidget;
    // The position is always known: 0 stands in for an absent editor.
    LastTarget lastTarget{MissingActual::Zero, [this] { return std::optional<qint32>(getActualPosition()); },
                          [this](qint32 target) { setTargetPosition(target); }};
    qint32 commutationDisabledValue = -1;
    qint32 commutationOpenLoopValue = -1;
    QPointer<QLabel> lblCommutationDisabled;
    QPointer<QLabel> lblCommutationOpenLoop;
};
