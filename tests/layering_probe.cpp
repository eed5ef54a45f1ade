// SPDX-License-Identifier: MIT
// Compiled as the plug-in's own sources are (tests/CMakeLists.txt): the host
// API's headers are found. With POSITIONMODE_PROBE_SIMULATION it also names a
// header of the simulation, which a plug-in source must not be able to reach.
#include "core/toolsinterface.h"

#ifdef POSITIONMODE_PROBE_SIMULATION
#include "device/simulateddevice.h"
#endif
