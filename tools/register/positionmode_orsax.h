// SPDX-License-Identifier: MIT
#pragma once

#include "common/lasttarget.h"
#include "genericpositionmode.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class Ui_PositionMode_Orsax;

namespace Model {
class ZYRAField;
} // namespace Model

// The position tool of the Orsax servo-controller IC. The IC's position loop
// limits velocity and acceleration itself, so the tool only shows the actual
// position, commands targets in position motion mode, stops and clears the
// position counter, all through three named register fields.
class PositionMode_Orsax : public GenericPositionMode
{
    Q_OBJECT

public:
    PositionMode_Orsax(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant);
    ~PositionMode_Orsax() override;

    int getActualPosition();
    void setTargetPosition(int position);

public slots:
    void showPlugin() override;
    void hidePlugin() override;

private slots:
    void btnMoveAbsoluteClicked();
    void btnMoveRelativeClicked();
    void btnStopClicked();
    void btnClearClicked();

private:
    Model::ZYRAField* lookUpField(const QString& name) const;
    std::optional<qint32> readActualPosition();

    std::unique_ptr<Ui_PositionMode_Orsax> ui;
    // Missing actual position: no move, rather than one from a guessed position.
    LastTarget m_lastTarget{MissingActual::Skip, [this] { return readActualPosition(); },
                            [this](qint32 target) { setTargetPosition(target); }};
    QPointer<Model::ZYRAField> m_actualPosition;
    QPointer<Model::ZYRAField> m_targetPosition;
    QPointer<Model::ZYRAField> m_motionMode;
};
