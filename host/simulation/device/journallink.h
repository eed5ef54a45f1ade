// SPDX-License-Identifier: MIT
#pragma once

#include "core/devicelink.h"

#include <QPointer>
#include <QString>

#include <functional>

class Journal;

// A link around another one that records every access a tool asked for in a
// journal, one line each ("m0 write field PID_POSITION_TARGET 500"), once the
// inner link has performed it. The host's own silent reads (trace refreshes,
// polls) pass unrecorded.
class JournalLink : public DeviceLink
{
public:
    // The device time each line is stamped with, in milliseconds.
    using Clock = std::function<qint64()>;

    JournalLink(DeviceLink& inner, Journal* journal, Clock clock);

    void perform(DeviceAccess& access) override;

    // The line of an access performed, without its motor prefix.
    static QString describe(const DeviceAccess& access);

private:
    DeviceLink& m_inner;
    QPointer<Journal> m_journal;
    Clock m_clock;
};
