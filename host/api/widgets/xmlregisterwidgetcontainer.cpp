// SPDX-License-Identifier: MIT
#include "xmlregisterwidgetcontainer.h"

#include "xmlregisterwidget.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

XmlRegisterWidgetContainer::XmlRegisterWidgetContainer(QLayout* layout, QObject* parent, const QString& title)
    : QObject(parent)
{
    m_holder = title.isEmpty() ? new QWidget : new QGroupBox(title);
    m_holder->setObjectName(QStringLiteral("xmlRegisterWidgetContainer"));
    if (layout)
        m_holder->setLayout(layout);
}

XmlRegisterWidgetContainer::~XmlRegisterWidgetContainer()
{
    if (m_holder && !m_holder->parent())
        delete m_holder;
}

void XmlRegisterWidgetContainer::addXmlWidget(XmlRegisterWidget* xmlWidget)
{
    if (!xmlWidget || !xmlWidget->widget() || !m_holder || !m_holder->layout())
        return;
    auto* label = new QLabel(xmlWidget->label());
    label->setBuddy(xmlWidget->widget());
    if (auto* form = qobject_cast<QFormLayout*>(m_holder->layout())) {
        form->addRow(label, xmlWidget->widget());
    } else {
        auto* row = new QHBoxLayout;
        row->addWidget(label);
        row->addWidget(xmlWidget->widget(), 1);
        if (auto* box = qobject_cast<QBoxLayout*>(m_holder->layout()))
            box->addLayout(row);
        else
            m_holder->layout()->addItem(row);
    }
}
