// SPDX-License-Identifier: MIT
#pragma once

struct DeviceAccess;

// The transport between a module and its device: every read, write, move and
// trace request of the host passes one link. A simulated device is one link;
// a journal is a link around another one; a real connection would be another.
class DeviceLink
{
public:
    virtual ~DeviceLink() = default;

    // Performs the access on the device and fills in its out values; sets
    // `access.performed` when the device took it.
    virtual void perform(DeviceAccess& access) = 0;
};
