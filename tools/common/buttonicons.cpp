// SPDX-License-Identifier: MIT
#include "buttonicons.h"

#include <QAbstractButton>

void ButtonIcons::share(QWidget* tool)
{
    if (!tool)
        return;
    const QString kind = QLatin1String(tool->metaObject()->className()) + QLatin1Char('/');
    const QList<QAbstractButton*> buttons = tool->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (button->icon().isNull())
            continue;
        const QString key = kind + button->objectName();
        const auto kept = m_icons.constFind(key);
        if (kept == m_icons.constEnd())
            m_icons.insert(key, button->icon());
        else
            button->setIcon(*kept);
    }
}
