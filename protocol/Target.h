#pragma once

#include "ProtocolEvents.h"
#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"
#include "profiles/ProfileData.h"

#include <cstdint>
#include <functional>

namespace zandor::protocol {

// Ticks of 100 ms left in the current reply wait. A wait sets it; a 100 ms timer of the
// front end counts it down through Timer1Tick().
extern std::int32_t TimeoutTicks;
void Timer1Tick();

constexpr int kTickMilliseconds = 100;

// Everything one protocol operation works through. The profile is the one in use
// (file names, offsets, processor code, baud rate).
struct Target {
    Target(platform::ISerialPort& p, IProtocolObserver& o, platform::IEventPump& e,
           const profiles::ProfileData& pr)
        : port(p), observer(o), pump(e), profile(pr)
    {
    }

    platform::ISerialPort& port;
    IProtocolObserver& observer;
    platform::IEventPump& pump;
    const profiles::ProfileData& profile;

    // Asked after every acknowledged bank or record: true ends the operation there with
    // Outcome::Interrupted. The window never stops half way; the command line does on Ctrl-C.
    std::function<bool()> stopRequested;

    // Bytes written since the last reply wait began. The target cannot answer before they
    // have crossed the line, so the next wait adds their wire time (10 bit times a byte at
    // the profile's baud rate) to its limit.
    qint64 bytesSinceWait = 0;

    bool shouldStop() const { return stopRequested && stopRequested(); }
};

}  // namespace zandor::protocol
