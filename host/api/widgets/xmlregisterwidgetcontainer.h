// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>

class QLayout;
class QWidget;
class XmlRegisterWidget;

// Lays register editors out in rows, each labelled with its field's name, on
// a widget of its own that the user of the container places.
class XmlRegisterWidgetContainer : public QObject
{
    Q_OBJECT

public:
    // Puts `layout` on a new holder widget; a non-empty title makes the holder a group box.
    XmlRegisterWidgetContainer(QLayout* layout, QObject* parent, const QString& title);
    ~XmlRegisterWidgetContainer() override;

    void addXmlWidget(XmlRegisterWidget* xmlWidget);
    QWidget* widget() const { return m_holder; }

private:
    QPointer<QWidget> m_holder;
};
