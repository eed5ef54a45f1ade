// SPDX-License-Identifier: MIT
#pragma once

#include "rampdesigns.h"

class PluginHost;
class SimulatedModule;
class ToolsInterface;

// Writes ramp settings the way a person would: typed into the tool's own
// ramp editors where the tool has them (each editor bears its setting's
// name), so that the journal shows the tool's writes and a recording replays
// them; where the tool has none (the Orsax tool), through the host's
// register model as the host's own register editors write, which the
// journal notes first. Nothing is written unless every setting can be.
class RampWriter
{
public:
    static bool write(ToolsInterface* tool, SimulatedModule* module, const RampDesigns::Values& values, QString* error);
    // Writes the last design of `designs` (or, `undo`, what its last Apply
    // replaced) through the open tool of its motor; the script's `design
    // apply` and `design undo` and the window's Apply and Undo.
    static bool apply(PluginHost& host, RampDesigns& designs, bool undo, QString* error);
};
