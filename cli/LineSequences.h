#pragma once

// The command line's side of the profile's reset and run sequences: the checks made before
// a board is touched, and the run sequence that starts the new application after a
// successful programming run.

#include "CliOptions.h"
#include "platform/IEventPump.h"
#include "platform/ISerialPort.h"
#include "profiles/ProfileData.h"

#include <QString>

namespace zandor::cli {

// Why this run cannot go with its sequences (a step that does not parse, an rts= step with
// RTS/CTS handshaking, --loop with a reset sequence but no --next-board): a usage error.
// Empty when nothing is wrong.
QString SequenceUsageFault(const profiles::ProfileData& profile, const CliOptions& options);

// Whether the run touches the modem lines: a sequence, or a presence line to watch.
bool NeedsModemLines(const profiles::ProfileData& profile, const CliOptions& options);

// Why the open `port` cannot drive or read its modem lines (a pseudo-terminal, a three-wire
// adapter), naming `device`, with the fix; empty when it can.
QString ModemLinesFault(platform::ISerialPort& port, const QString& device);

struct RunSequenceResult {
    int exitCode = 0;  // kExitSuccess, kExitPortFailed (the lines refused), kExitInterrupted
    QString message;
};

// Runs the profile's run sequence on the open port, after the board was programmed.
// Nothing to do without one.
RunSequenceResult RunRunSequence(const profiles::ProfileData& profile, platform::ISerialPort& port,
                                 platform::IEventPump& pump);

}  // namespace zandor::cli
