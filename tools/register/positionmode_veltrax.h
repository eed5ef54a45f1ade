#pragma once

#include "genericpositionmode.h"

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <memory>

class HelperTargetArea;
class QGraphicsScene;
class Ui_PositionMode_Veltrax;
class XmlProductIC;
class XmlRegisterWidget;
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
    PositionMode_Veltrax(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant,
                         XmlProductIC* ic);
    ~PositionMode_Veltrax() override;

    // Maps an element's bounds from the drawing's user coordinates to the
    // picture's item coordinates.
    QRectF mapRectToScene(QRectF viewBox, QRectF itemRect, QRectF bounds);

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
    using WidgetMember = QPointer<XmlRegisterWidget> PositionMode_Veltrax::*;

    struct FieldLookup
    {
        const char* name;
        FieldMember field;
    };

    // One row of the ramp register table: its field, the editor made for it
    // and the value Defaults writes.
    struct RegisterRow
    {
        FieldMember field;
        WidgetMember widget;
        int defaultValue;
    };

    static const FieldLookup kFieldLookups[20];
    static const RegisterRow kRegisterRows[14];

    void setTargetPosition(int position);
    int getActualPosition();
    void enableMotionModePosition();
    void setRampToPositionMode();
    void enableRamp(bool on);
    void checkAvailability();
    void updateRegisterWidgets();
    void setupRegistersTable();
    void setupRampGraph();

    std::unique_ptr<Ui_PositionMode_Veltrax> m_ui;
    QString m_targetReference;
    int m_lastTarget = 0;

    QPointer<Model::ZYRAField> m_targetPosition;
    QPointer<Model::ZYRAField> m_ramperTarget;
    QPointer<Model::ZYRAField> m_actualPosition;
    QPointer<Model::ZYRAField> m_motionMode;
    QPointer<Model::ZYRAField> m_feedForward;
    QPointer<Model::ZYRAField> m_vStart;
    QPointer<Model::ZYRAField> m_vStop;
    QPointer<Model::ZYRAField> m_v1;
    QPointer<Model::ZYRAField> m_v2;
    QPointer<Model::ZYRAField> m_vMax;
    QPointer<Model::ZYRAField> m_a1;
    QPointer<Model::ZYRAField> m_a2;
    QPointer<Model::ZYRAField> m_aMax;
    QPointer<Model::ZYRAField> m_d1;
    QPointer<Model::ZYRAField> m_d2;
    QPointer<Model::ZYRAField> m_dMax;
    QPointer<Model::ZYRAField> m_tVMax;
    QPointer<Model::ZYRAField> m_tZeroWait;
    QPointer<Model::ZYRAField> m_rampEnable;
    QPointer<Model::ZYRAField> m_rampMode;

    QList<QPointer<XmlRegisterWidget>> m_registerWidgets;

    QPointer<XmlRegisterWidget> m_vStartWidget;
    QPointer<XmlRegisterWidget> m_vStopWidget;
    QPointer<XmlRegisterWidget> m_v1Widget;
    QPointer<XmlRegisterWidget> m_v2Widget;
    QPointer<XmlRegisterWidget> m_vMaxWidget;
    QPointer<XmlRegisterWidget> m_a1Widget;
    QPointer<XmlRegisterWidget> m_a2Widget;
    QPointer<XmlRegisterWidget> m_aMaxWidget;
    QPointer<XmlRegisterWidget> m_d1Widget;
    QPointer<XmlRegisterWidget> m_d2Widget;
    QPointer<XmlRegisterWidget> m_dMaxWidget;
    QPointer<XmlRegisterWidget> m_tVMaxWidget;
    QPointer<XmlRegisterWidget> m_tZeroWaitWidget;
    QPointer<XmlRegisterWidget> m_feedForwardWidget;

    // The ramp picture's scene has no parent; declared last, it goes first, so
    // its hot spots never outlive the editors they point to.
    std::unique_ptr<QGraphicsScene> m_scene;
};
