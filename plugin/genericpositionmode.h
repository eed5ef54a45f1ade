// SPDX-License-Identifier: MIT
#pragma once

#include "common/buttonicons.h"
#include "core/command.h"
#include "core/toolsinterface.h"

class ZYRAModuleInterface;

// The plug-in's root object, which the host finds when it loads the plug-in,
// and the common base of every position tool. As root it tells the host which
// product variants it serves and creates the tool of the chosen variant; as
// base it passes on only the replies meant for the tool's own module.
class GenericPositionMode : public ToolsInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "com.kessa.ToolsInterface/2.0" FILE "generic_position_mode.json")
    Q_INTERFACES(ToolsInterface)

public:
    // The root: serves no module until a tool is cloned from it.
    GenericPositionMode();
    // The base of a tool of `variant` for `motor` of `module`.
    GenericPositionMode(QString name, unsigned char motor, ZYRAModuleInterface* module, int variant);
    ~GenericPositionMode() override;

    QString version() override;
    void showPlugin() override;
    void hidePlugin() override;
    bool isUsableForVariant(int variant) override;
    ToolsInterface* clone(QString name, unsigned char motor, ZYRAModuleInterface* module) override;

signals:
    void forward_IN_replyValue(Command* reply);

public slots:
    void IN_replyValue(Command* reply);

private:
    GenericPositionMode* makeTool(QString name, unsigned char motor, ZYRAModuleInterface* module) const;

    int m_selectedVariant = PluginVariant::UNKNOWN;
    ButtonIcons m_buttonIcons; // shared by the tools this one clones
};
