#pragma once

#include "genericpositionmode.h"

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>

class Command;
class HelperTargetArea;
class QGraphicsScene;
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
    PositionMode_Zell(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant,
                      XmlProductIC* ic);
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
    // One row of the register table per ramp field.
    static constexpr int kRegisterRowCount = 14;

    void setupRegistersTable();
    void setupRampGraph();
    QRectF mapRectToScene(QRectF viewBox, QRectF itemRect, QRectF bounds);
    int getActualPosition();
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
    QString m_targetReference = QStringLiteral("target position");
    qint32 m_lastTarget = 0;
    QList<QPointer<XmlRegisterWidget>> m_registerWidgets;
    QPointer<XmlValueRegister> m_targetRegister;
    QPointer<XmlValueRegister> m_actualPositionRegister;
    QPointer<XmlValueRegister> m_motionConfigRegister;
    QPointer<XmlValueRegister> m_pidConfigRegister;
    std::array<QPointer<XmlRegisterWidget>, kRegisterRowCount> m_rowWidgets;
    std::unique_ptr<QGraphicsScene> m_scene;
};
