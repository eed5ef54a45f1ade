// SPDX-License-Identifier: MIT
#include "popupinfolabel.h"

#include <QCursor>

namespace {
constexpr int kCursorOffsetPx = 16;

QString styleSheetFor(PopupInfoLabel::Style style)
{
    const char* background = "#F2F2F2";
    const char* border = "#9A9A9A";
    switch (style) {
    case PopupInfoLabel::Information:
        break;
    case PopupInfoLabel::Success:
        background = "#DFF3DF";
        border = "#4A9A4A";
        break;
    case PopupInfoLabel::Warning:
        background = "#FFE9B8";
        border = "#E09A00";
        break;
    case PopupInfoLabel::Error:
        background = "#FAD4D4";
        border = "#C03030";
        break;
    }
    return QStringLiteral("QLabel { background-color: %1; border: 1px solid %2; padding: 4px 8px; color: #202020; }")
        .arg(QLatin1String(background), QLatin1String(border));
}
} // namespace

PopupInfoLabel::PopupInfoLabel(QWidget* parent)
    : QLabel(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("popupInfoLabel"));
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void PopupInfoLabel::showMessageAtCursor(const QString& message, int milliseconds, Style style)
{
    m_style = style;
    setText(message);
    setStyleSheet(styleSheetFor(style));
    adjustSize();
    move(QCursor::pos() + QPoint(kCursorOffsetPx, kCursorOffsetPx));
    show();
    raise();
    m_hideTimer.start(qMax(0, milliseconds));
}
