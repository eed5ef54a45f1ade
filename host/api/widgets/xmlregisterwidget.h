// SPDX-License-Identifier: MIT
#pragma once

#include "model/xmlvalueregisterfield.h"
#include "model/zyrafield.h"

#include <QObject>
#include <QPointer>

class QSpinBox;
class QWidget;

// An editor of one register field: a spin box named after the field. It
// reports the pointer entering and leaving it, and a value the user confirms.
// Bound to a model field it also shows the field's values and writes the
// user's; bound only to the field's description it shows what it is given.
class XmlRegisterWidget : public QObject
{
    Q_OBJECT

public:
    XmlRegisterWidget(XmlValueRegisterField* field, QObject* parent);
    XmlRegisterWidget(Model::ZYRAField* field, QObject* parent);
    ~XmlRegisterWidget() override;

    XmlValueRegisterField* registerField() const { return m_registerField; }
    Model::ZYRAField* ZYRAField() const { return m_field; }
    // The editor; the container that shows it takes it.
    QWidget* widget() const;
    QString label() const;

    // Shows a device value without reporting it as an edit.
    void setAndUpdateValue(unsigned long long value);
    // Marks the editor, e.g. while its element of a picture is hovered.
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }

signals:
    void valueChanged(int value);
    void hoverEnterWidget();
    void hoverLeaveWidget();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildEditor();
    void show(qint64 value);
    void commit();

    QPointer<XmlValueRegisterField> m_registerField;
    QPointer<Model::ZYRAField> m_field;
    QPointer<QSpinBox> m_spinBox;
    qint64 m_shown = 0;
    bool m_highlighted = false;
};
