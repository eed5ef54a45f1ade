// SPDX-License-Identifier: MIT
#pragma once

#include "common/lasttarget.h"
#include "genericpositionmode.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class Command;
class HelperTargetArea;
class RampGraph;
class RampRegisterTable;
class Ui_PositionMode_Zell;
class XmlProductIC;
class XmlRegisterWidget;
class XmlValueRegister;
class ZYRAModuleInterface;

// The position tool of the Zell IC. It reaches the IC by whole registers
// through the module interface rather than through the host's field objects,
// handles the device's replies itself, and edits the eight-point ramp in a
// table of register fields beside the ramp picture.
class PositionMode_Zell : public GenericPositionMode
{
    Q_OBJECT

public:
    PositionMode_Zell(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant, XmlProductIC* ic);
    ~PositionMode_Zell() override;

public slots:
    void showPlugin() override;
    void hidePlugin() override;
    // Takes the place of the base's reply filter: the host finds this slot first.
    void IN_replyValue(Command* reply);
    void handleChangedRegisterValue(int value);

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
    void lookUpRegisters(XmlProductIC* ic);
    void setupRegistersTable();
    void setupRampGraph();
    void connectControls();
    std::optional<qint32> readActualPosition();
    void enableMotionModePosition();
    void setRampToPositionMode();
    void enableRamp(bool on);
    void setTargetPosition(int target);
    void checkAvailability();
    void updateRegisterWidgets();

    // Whole-register access on this tool's motor. A missing register or module
    // makes no device call, and a read then yields 0.
    int readRegister(XmlValueRegister* reg);
    void writeRegister(XmlValueRegister* reg, int value);

    std::unique_ptr<Ui_PositionMode_Zell> ui;
    // Missing actual position: 0, as every read of a missing register gives 0.
    LastTarget m_lastTarget{MissingActual::Zero, [this] { return readActualPosition(); },
                            [this](qint32 target) { setTargetPosition(target); }};
    QPointer<XmlValueRegister> m_targetRegister;
    QPointer<XmlValueRegister> m_actualPositionRegister;
    QPointer<XmlValueRegister> m_motionConfigRegister;
    QPointer<XmlValueRegister> m_pidConfigRegister;
    std::unique_ptr<RampRegisterTable> m_table;
    // Declared last, the picture goes first, so its hot spots never outlive
    // the editors they point to.
    std::unique_ptr<RampGraph> m_rampGraph;
};
