#pragma once

#include "ProtocolEvents.h"
#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileSerialSettings.h"

#include <functional>
#include <optional>

namespace zandor::protocol {

// The reply limits are counted in ticks of 100 ms.
constexpr int kTickMilliseconds = 100;

// Everything one protocol operation works through. The profile is the one in use
// (file names, offsets, processor code, baud rate).
struct Target {
    Target(platform::ISerialPort& p, IProtocolObserver& o, platform::IEventPump& e,
           const profiles::ProfileData& pr)
        : port(p), observer(o), pump(e), profile(pr),
          resetSequence(profiles::ProfileLineSequence(pr, profiles::SequenceRole::Reset))
    {
    }

    platform::ISerialPort& port;
    IProtocolObserver& observer;
    platform::IEventPump& pump;
    const profiles::ProfileData& profile;

    // Run on the port's modem lines right before every zero byte, so that a board wired
    // for it enters its bootstrap mode. The profile's ResetSequence by default; a front end
    // may replace it for one run. A fault refuses every identification with it.
    profiles::CheckedLineSequence resetSequence;

    // Asked after every acknowledged bank or record: true ends the operation there with
    // Outcome::Interrupted: the command line's Ctrl-C, the window's Esc.
    std::function<bool()> stopRequested;

    // Bytes written since the last reply wait began. The target cannot answer before they
    // have crossed the line, so the next wait adds their wire time (10 bit times a byte at
    // the profile's baud rate) to its limit.
    qint64 bytesSinceWait = 0;

    // When the current reply wait gives up, in milliseconds on the event pump's clock. Each
    // wait sets it from its limit; the run owns it, so no timer of the front end is needed.
    qint64 replyDeadlineMs = 0;

    // The bank or record whose reply was judged last, as its step's end would tell of it
    // had it been refused. Bytes that arrive after that reply are late parts of it: a
    // refusal among them fails the run there, not at the next command.
    std::optional<StepEndEvent> lastAnswered;

    bool shouldStop() const { return stopRequested && stopRequested(); }
};

}  // namespace zandor::protocol
