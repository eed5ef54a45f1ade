// SPDX-License-Identifier: MIT
#pragma once

#include "productcatalog.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QHBoxLayout;
class QToolButton;

// Picks the simulated product (variant code and designation) and, in a list
// of checkable motors, the motors whose tools are open.
class ProductPicker : public QWidget
{
    Q_OBJECT

public:
    explicit ProductPicker(const ProductCatalog& catalog, QWidget* parent = nullptr);

    // Shows a product, with its motors unchecked, without reporting it as
    // the user's choice.
    void setProduct(int variant);
    // Checks or unchecks a motor without reporting it as the user's choice.
    void setMotorOpen(int motor, bool open);
    int variant() const;

signals:
    void productChosen(int variant);
    // The user checked (open) or unchecked a motor.
    void motorToggled(int motor, bool open);

private:
    void fillMotors(int variant);

    const ProductCatalog& m_catalog;
    QComboBox* m_products = nullptr;
    QHBoxLayout* m_motorLayout = nullptr;
    QList<QToolButton*> m_motors;
};
