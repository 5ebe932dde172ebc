#pragma once

// Runs a reset or boot-mode sequence on the port's modem lines. Waits go through the event
// pump, so the window stays alive and no core spins during a reset pulse.

#include "platform/IEventPump.h"
#include "platform/IModemLines.h"
#include "profiles/LineSequence.h"

#include <QString>
#include <functional>

namespace zandor::protocol {

struct LineSequenceOutcome {
    enum class Result {
        Done,
        LineFailed,   // the port could not set a line (no modem lines, port gone): exit 3
        Interrupted,  // the user asked to stop during a wait
    };
    Result result = Result::Done;
    int stepsDone = 0;  // steps completed before the end
    QString reason;     // LineFailed: the port's reason, the step named
};

// The steps in order. A wait lasts its milliseconds on the pump's clock however the events
// fall; `stopRequested` (may be empty) is asked after every pump wait.
LineSequenceOutcome RunLineSequence(const profiles::LineSequence& steps, platform::IModemLines& lines,
                                    platform::IEventPump& pump,
                                    const std::function<bool()>& stopRequested = {});

}  // namespace zandor::protocol
