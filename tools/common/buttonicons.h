#pragma once

class QWidget;

// The icons on the buttons of the tools' forms. Every tool of a kind shows the
// same ones, and an icon renders its pictures once and keeps them; so the tools
// of a kind take the icons of the first one instead of each drawing its own set.
class ButtonIcons
{
public:
    // Gives the buttons of `tool` the icons the first tool of its class had;
    // the first tool's own become that set.
    static void share(QWidget* tool);
};
