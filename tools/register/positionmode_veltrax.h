// SPDX-License-Identifier: MIT
#pragma once

#include "common/lasttarget.h"
#include "genericpositionmode.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class HelperTargetArea;
class RampGraph;
class RampRegisterTable;
class Ui_PositionMode_Veltrax;
class XmlProductIC;
class ZYRAModuleInterface;

namespace Model {
class ZYRAField;
} // namespace Model

// Position tool of the Veltrax IC, driven through the IC's named register
// fields: actual position, absolute and relative moves, stop and clear, and a
// side panel with the ramp picture and a table of the ramp registers.
class PositionMode_Veltrax : public GenericPositionMode
{
    Q_OBJECT

public:
    // The IC product is accepted for the host's factory; every field comes
    // from the register controller.
    PositionMode_Veltrax(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant, XmlProductIC* ic);
    ~PositionMode_Veltrax() override;

public slots:
    void showPlugin() override;
    void hidePlugin() override;

private slots:
    void btnMoveAbsoluteClicked();
    void btnMoveRelativeClicked();
    void btnStopClicked();
    void btnClearClicked();
    void pbReloadClicked();
    void pbDefaultsClicked();
    void gbRampEnableToggled(bool arg1);
    void handleToggledHideButton(bool value);
    void handleXmlWidgetHover(HelperTargetArea* targetArea, bool entry);

private:
    using FieldMember = QPointer<Model::ZYRAField> PositionMode_Veltrax::*;

    struct FieldLookup
    {
        const char* name;
        FieldMember field;
    };

    static const FieldLookup kFieldLookups[7];

    void lookUpFields();
    void connectControls();
    void followDevice();
    void setTargetPosition(int position);
    std::optional<qint32> readActualPosition();
    void enableMotionModePosition();
    void setRampToPositionMode();
    void enableRamp(bool on);
    void checkAvailability();
    void updateRegisterWidgets();
    void setupRegistersTable();
    void setupRampGraph();

    std::unique_ptr<Ui_PositionMode_Veltrax> m_ui;
    // Missing actual position: the last target, the best known position (Stop holds it).
    LastTarget m_lastTarget{MissingActual::LastTarget, [this] { return readActualPosition(); },
                            [this](qint32 target) { setTargetPosition(target); }};

    QPointer<Model::ZYRAField> m_targetPosition;
    QPointer<Model::ZYRAField> m_ramperTarget;
    QPointer<Model::ZYRAField> m_actualPosition;
    QPointer<Model::ZYRAField> m_motionMode;
    QPointer<Model::ZYRAField> m_feedForward;
    QPointer<Model::ZYRAField> m_rampEnable;
    QPointer<Model::ZYRAField> m_rampMode;

    std::unique_ptr<RampRegisterTable> m_table;
    // Declared last, the picture goes first, so its hot spots never outlive
    // the editors they point to.
    std::unique_ptr<RampGraph> m_rampGraph;
};
