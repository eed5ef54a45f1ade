// SPDX-License-Identifier: MIT
#pragma once

#include "common/lasttarget.h"
#include "genericpositionmode.h"

#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class HelperTargetArea;
class PopupInfoLabel;
class QEvent;
class RampGraph;
class QTimer;
class Ui_PositionMode_Veltrax_AP;
class XmlParameterWidget;
class ZYRAModuleInterface;

namespace Model {
class ZYRAParameter;
} // namespace Model

// The position tool of a Veltrax module driven through axis parameters: moves,
// stop and clear on the target and actual position, one editor per point of the
// eight-point ramp and the feed-forward settings, a static ramp picture, and a
// highlight on the target field when the module does not take a target exactly.
class PositionMode_Veltrax_AP : public GenericPositionMode
{
    Q_OBJECT

public:
    PositionMode_Veltrax_AP(QString name, quint8 motor, ZYRAModuleInterface* module, int variant);
    ~PositionMode_Veltrax_AP() override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateSubWidgetValues(int id) override;
    void registerSubWidgetTraces(int id) override;
    void unRegisterSubWidgetTraces(int id) override;

    void setupRampGraph();

public slots:
    void btnMoveAbsoluteClicked();
    void btnMoveRelativeClicked();
    void btnStopClicked();
    void btnClearClicked();
    void pbReloadClicked();
    void pbDefaultsClicked();
    void gbRampEnableToggled(bool enableRamp);
    void handleToggledHideButton(bool value);
    void handleXmlWidgetHover(HelperTargetArea* targetArea, bool entry);

private:
    // The ramp and feed-forward editors, in the order they are created.
    enum RampEditor {
        RampAMax,
        RampA1,
        RampA2,
        RampDMax,
        RampD1,
        RampD2,
        RampVStart,
        RampV1,
        RampV2,
        RampVStop,
        RampVMax,
        VelocityFeedForwardEnable,
        AccelerationFeedForwardEnable,
        AccelerationFeedForwardGain,
        AccelerationFeedForwardShift,
        RampEditorCount
    };

    void setupTargetPosition();
    void setupActualPosition();
    void setupRampEnable();
    void setupRampEditors();
    void connectControls();
    void showValueNotAccepted(int value);
    void writeTargetPosition(qint32 position);
    std::optional<qint32> readActualPosition();

    QPointer<QTimer> highlightTimer;
    QPointer<PopupInfoLabel> popupInfoLabel;
    std::unique_ptr<Ui_PositionMode_Veltrax_AP> ui;
    // Missing actual position: no move, rather than one from a guessed position.
    LastTarget lastTarget{MissingActual::Skip, [this] { return readActualPosition(); },
                          [this](qint32 target) { writeTargetPosition(target); }};
    int actualPositionTimerId = 0;
    QPointer<Model::ZYRAParameter> targetPositionParameter;
    QPointer<Model::ZYRAParameter> actualPositionParameter;
    QPointer<Model::ZYRAParameter> rampEnableParameter;
    std::array<QPointer<XmlParameterWidget>, RampEditorCount> rampEditors;
    std::unique_ptr<RampGraph> rampGraph;
};
