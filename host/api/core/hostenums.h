// SPDX-License-Identifier: MIT
#pragma once

// Enumerations and keys the host shares with every tool plug-in.

namespace PluginVariant {
// Product variant codes as the host reports them to a plug-in.
enum Code : int {
    Zell = 40,
    Orsax = 100,
    AxisParameter = 105,
    LinearAxisParameter = 108,
    Veltrax = 135,
    Veltrax_AP = 139,
    UNKNOWN = 255,
};
} // namespace PluginVariant

namespace ToolsType {
// Kinds of tool windows the host knows; a plug-in tells the host which kind it builds.
enum Types : int {
    Undefined = 0,
    ParameterView = 10,
    RegisterView = 20,
    VelocityMode = 64,
    TorqueMode = 65,
    GenericPositionMode = 66,
};
} // namespace ToolsType

namespace PluginDevInfo {
// Keys of the info entries a plug-in reports for the product it serves.
constexpr char Designation[] = "Designation";
constexpr char UpToDate[] = "UpToDate";
} // namespace PluginDevInfo
