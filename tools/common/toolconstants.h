// SPDX-License-Identifier: MIT
#pragma once

// Names and ids that several tools and the plug-in root share.
namespace ToolConstants {
// The host's sub-widget id of a tool's traces, and of the value update on show.
constexpr int kTraceSubWidget = 8;
constexpr int kShowUpdateSubWidget = 9;

// The tool's name in the host; a linear axis has its own.
constexpr char kToolName[] = "Position mode";
constexpr char kLinearToolName[] = "Position mode (Linear)";

// The entries of the relative-to box, in this order: a relative move goes from
// the actual position or from the last commanded target.
constexpr char kRelativeToActual[] = "actual position";
constexpr char kRelativeToTarget[] = "target position";
} // namespace ToolConstants
