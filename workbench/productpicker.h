#pragma once

#include "productcatalog.h"

#include <QWidget>

class QComboBox;

// Picks the simulated product (variant code and designation) and the motor
// whose tool is open.
class ProductPicker : public QWidget
{
    Q_OBJECT

public:
    explicit ProductPicker(const ProductCatalog& catalog, QWidget* parent = nullptr);

    // Shows a product and motor without reporting them as the user's choice.
    void setCurrent(int variant, int motor);
    int variant() const;
    int motor() const;

signals:
    void productChosen(int variant);
    void motorChosen(int motor);

private:
    void fillMotors(int variant, int motor);

    const ProductCatalog& m_catalog;
    QComboBox* m_products = nullptr;
    QComboBox* m_motors = nullptr;
};
