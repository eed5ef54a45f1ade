// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

class QWidget;

// The icons on the buttons of the tools' forms. Every tool of a kind shows the
// same ones, and an icon renders its pictures once and keeps them; so the tools
// of a kind take the icons of the first one instead of each drawing its own set.
// The set lives as long as its owner (the plug-in's root), inside the plug-in.
class ButtonIcons
{
public:
    // Gives the buttons of `tool` the icons the first tool of its class had;
    // the first tool's own become that set.
    void share(QWidget* tool);

private:
    QHash<QString, QIcon> m_icons; // by tool class and button name
};
