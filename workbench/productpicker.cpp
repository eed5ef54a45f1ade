// SPDX-License-Identifier: MIT
#include "productpicker.h"

#include "elided.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

namespace {
constexpr int kShownCharacters = 32; // of a product's entry in the closed picker
} // namespace

ProductPicker::ProductPicker(const ProductCatalog& catalog, QWidget* parent)
    : QWidget(parent)
    , m_catalog(catalog)
{
    m_products = new QComboBox(this);
    m_products->setObjectName(QStringLiteral("productPicker"));
    m_products->setToolTip(QStringLiteral("The simulated product the host is connected to: variant code, "
                                          "designation and module. Changing it closes the tools and opens the "
                                          "tool of motor 0 on a fresh module."));
    // Narrow enough to leave the toolbar room on a small screen; the list shows the names whole.
    m_products->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_products->setMinimumContentsLength(kShownCharacters);
    const QList<ProductCatalog::Entry> entries = catalog.entries();
    for (const ProductCatalog::Entry& entry : entries) {
        m_products->addItem(
            QStringLiteral("%1  %2 — %3").arg(entry.variant).arg(elided(entry.designation), elided(entry.name)),
            entry.variant);
    }
    auto* productLabel = new QLabel(QStringLiteral("&Product:"), this);
    productLabel->setBuddy(m_products);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(productLabel);
    layout->addWidget(m_products);
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("Motors:"), this));
    m_motorLayout = new QHBoxLayout;
    m_motorLayout->setSpacing(2);
    layout->addLayout(m_motorLayout);

    connect(m_products, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        const int chosen = m_products->itemData(index).toInt();
        fillMotors(chosen);
        emit productChosen(chosen);
    });
}

void ProductPicker::setProduct(int variant)
{
    const QSignalBlocker blocker(m_products);
    m_products->setCurrentIndex(m_products->findData(variant));
    fillMotors(variant);
}

void ProductPicker::setMotorOpen(int motor, bool open)
{
    if (motor < 0 || motor >= m_motors.size())
        return;
    const QSignalBlocker blocker(m_motors.at(motor));
    m_motors.at(motor)->setChecked(open);
}

int ProductPicker::variant() const
{
    return m_products->currentData().toInt();
}

void ProductPicker::fillMotors(int variant)
{
    qDeleteAll(m_motors);
    m_motors.clear();
    const ProductCatalog::Entry* entry = m_catalog.find(variant);
    const int motors = entry ? entry->motors : 1;
    for (int motor = 0; motor < motors; ++motor) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("motor%1").arg(motor));
        button->setText(QString::number(motor));
        button->setCheckable(true);
        button->setToolTip(QStringLiteral("Opens (checked) or closes the tool of motor %1").arg(motor));
        connect(button, &QToolButton::toggled, this, [this, motor](bool open) { emit motorToggled(motor, open); });
        m_motorLayout->addWidget(button);
        // At once, not when the layout gets round to it, so that the window's
        // size settles with the product.
        button->show();
        m_motors.append(button);
    }
}
