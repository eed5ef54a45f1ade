#include "buttonicons.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QPointer>

namespace {
// Keeps the icons while the application lives, keyed by tool class and button name.
class IconShelf : public QObject
{
public:
    using QObject::QObject;
    QHash<QString, QIcon> icons;
};
} // namespace

void ButtonIcons::share(QWidget* tool)
{
    static QPointer<IconShelf> shelf;
    if (!tool)
        return;
    if (!shelf)
        shelf = new IconShelf(QCoreApplication::instance());
    const QString kind = QLatin1String(tool->metaObject()->className()) + QLatin1Char('/');
    const QList<QAbstractButton*> buttons = tool->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (button->icon().isNull())
            continue;
        const QString key = kind + button->objectName();
        const auto kept = shelf->icons.constFind(key);
        if (kept == shelf->icons.constEnd())
            shelf->icons.insert(key, button->icon());
        else
            button->setIcon(*kept);
    }
}
