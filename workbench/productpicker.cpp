#include "productpicker.h"

#include "elided.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

ProductPicker::ProductPicker(const ProductCatalog& catalog, QWidget* parent)
    : QWidget(parent)
    , m_catalog(catalog)
{
    m_products = new QComboBox(this);
    m_products->setObjectName(QStringLiteral("productPicker"));
    m_products->setToolTip(QStringLiteral("The simulated product the host is connected to: variant code, "
                                          "designation and module. Changing it closes the tool and opens it "
                                          "on a fresh module."));
    const QList<ProductCatalog::Entry> entries = catalog.entries();
    for (const ProductCatalog::Entry& entry : entries) {
        m_products->addItem(
            QStringLiteral("%1  %2 — %3").arg(entry.variant).arg(elided(entry.designation), elided(entry.name)),
            entry.variant);
    }
    m_motors = new QComboBox(this);
    m_motors->setObjectName(QStringLiteral("motorPicker"));
    m_motors->setToolTip(QStringLiteral("The motor the tool is opened for"));

    auto* productLabel = new QLabel(QStringLiteral("&Product:"), this);
    productLabel->setBuddy(m_products);
    auto* motorLabel = new QLabel(QStringLiteral("&Motor:"), this);
    motorLabel->setBuddy(m_motors);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(productLabel);
    layout->addWidget(m_products);
    layout->addSpacing(12);
    layout->addWidget(motorLabel);
    layout->addWidget(m_motors);

    connect(m_products, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        const int chosen = m_products->itemData(index).toInt();
        fillMotors(chosen, 0);
        emit productChosen(chosen);
    });
    connect(m_motors, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { emit motorChosen(m_motors->itemData(index).toInt()); });
}

void ProductPicker::setCurrent(int variant, int motor)
{
    const QSignalBlocker blocker(m_products);
    m_products->setCurrentIndex(m_products->findData(variant));
    fillMotors(variant, motor);
}

int ProductPicker::variant() const
{
    return m_products->currentData().toInt();
}

int ProductPicker::motor() const
{
    return m_motors->currentData().toInt();
}

void ProductPicker::fillMotors(int variant, int motor)
{
    const QSignalBlocker blocker(m_motors);
    m_motors->clear();
    const ProductCatalog::Entry* entry = m_catalog.find(variant);
    const int motors = entry ? entry->motors : 1;
    for (int i = 0; i < motors; ++i)
        m_motors->addItem(QStringLiteral("%1").arg(i), i);
    m_motors->setCurrentIndex(m_motors->findData(motor));
    m_motors->setEnabled(motors > 1);
}
