#pragma once

// What went wrong, in one line that names the phase and what was going on:
// "erase: bank 2 refused: Chip Erase Failed : (21 !)",
// "download: record 433 at 00006C00 not acknowledged within 1.0 s".

#include "protocol/ProtocolEvents.h"

#include <QString>

namespace zandor::cli {

// The line for a step that did not end with Done.
// `probedSeconds`: how long a board was probed for (--wait); the limit of a missing answer
// is then that time, not the last probe's.
QString FailureText(const protocol::StepEndEvent& end, double probedSeconds = 0);

// "00006C00": an address as the messages and the JSON events show it.
QString AddressText(std::uint32_t address);

}  // namespace zandor::cli
