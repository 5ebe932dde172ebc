#pragma once

#include "IReporter.h"
#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"
#include "profiles/ProfileData.h"

#include <cstdint>

namespace zandor::protocol {

// Ticks of 100 ms left in the current reply wait. A wait sets it; the main window's
// 100 ms timer counts it down through Timer1Tick().
extern std::int32_t TimeoutTicks;
void Timer1Tick();

constexpr int kTickMilliseconds = 100;

// Everything one protocol operation works through. The profile is the one in use
// (file names, offsets, processor code).
struct Target {
    Target(platform::ISerialPort& p, IReporter& r, platform::IEventPump& e,
           const profiles::ProfileData& pr)
        : port(p), report(r), pump(e), profile(pr)
    {
    }

    platform::ISerialPort& port;
    IReporter& report;
    platform::IEventPump& pump;
    const profiles::ProfileData& profile;

    // Bytes written since the last reply wait began. The target cannot answer before they
    // have crossed the line, so the next wait adds their wire time (10 bit times a byte at
    // the profile's baud rate) to its limit.
    qint64 bytesSinceWait = 0;
};

}  // namespace zandor::protocol
