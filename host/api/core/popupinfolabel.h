// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QTimer>

// A short message that appears at the mouse cursor and goes away by itself.
class PopupInfoLabel : public QLabel
{
    Q_OBJECT

public:
    enum Style { Information = 0, Success = 1, Warning = 2, Error = 3 };

    explicit PopupInfoLabel(QWidget* parent);

    void showMessageAtCursor(const QString& message, int milliseconds, Style style);
    Style messageStyle() const { return m_style; }

private:
    QTimer m_hideTimer;
    Style m_style = Information;
};
