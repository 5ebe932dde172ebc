#pragma once

// How a loop with a reset sequence knows that the operator changed the board. The reset
// sequence brings any board into its bootstrap mode, so a programmed board would answer
// the next probe again: the loop waits for a sign of a new board first.

#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"

#include <QString>
#include <optional>

namespace zandor::cli {

enum class NextBoardSignal {
    Adapter,  // the board brings its own USB adapter: the device goes away and comes back
    Dsr,      // a presence contact of the fixture on a modem status line drops and returns
    Dcd,
    Cts,
    Enter,    // the operator presses Enter
};

// How often a presence line or the adapter's device is looked at while waiting, in milliseconds.
constexpr int kNextBoardPollMs = 50;

// "adapter|dsr|dcd|cts|enter", from the table.
QString NextBoardChoices();
// The signal a --next-board word names (either letter case); nothing for any other word.
std::optional<NextBoardSignal> ParseNextBoard(const QString& word);
// What the operator is asked to do, for the line shown while waiting.
QString NextBoardPrompt(NextBoardSignal signal);

enum class NextBoardWait {
    Changed,      // a new board is in place (or the port was lost: the probes find out)
    Interrupted,  // Ctrl-C
    Ended,        // standard input closed: no Enter can come any more
};

// Waits for `signal` on the open `port` (`device` is what it opens), through the event pump.
NextBoardWait WaitForNextBoard(NextBoardSignal signal, platform::ISerialPort& port, platform::IEventPump& pump,
                               const QString& device);

}  // namespace zandor::cli
