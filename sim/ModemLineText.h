#pragma once

// The text the simulated modem lines travel in between the host's process and the
// simulated board. The host's side (an LD_PRELOAD library in the test support, answering
// the modem-line ioctls on the simulator's device) appends one line per change of DTR or
// RTS to a file or FIFO: "<monotonic ns> dtr=1 rts=0". The board writes the lines it
// drives (presence) to a small file the host reads on every TIOCMGET: "dsr=1 dcd=0 cts=0".
// Header only, standard C++ only, so that the preload library can use it too.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace zandor::sim {

// The environment variables the preload library reads.
constexpr const char* kModemDeviceVariable = "ZANDOR_MODEMLINES_DEVICE";    // the simulator's device
constexpr const char* kModemChangesVariable = "ZANDOR_MODEMLINES_CHANGES";  // DTR/RTS changes go here
constexpr const char* kModemInputsVariable = "ZANDOR_MODEMLINES_INPUTS";    // DSR/DCD/CTS come from here

struct OutputChange {
    std::int64_t timeNs = 0;  // CLOCK_MONOTONIC, the clock the simulator paces bytes with
    bool dtr = false;         // asserted
    bool rts = false;
};

struct DrivenInputs {
    bool dsr = false;
    bool dcd = false;
    bool cts = false;
};

inline std::string FormatOutputChange(const OutputChange& change)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lld dtr=%d rts=%d\n", static_cast<long long>(change.timeNs),
                  change.dtr ? 1 : 0, change.rts ? 1 : 0);
    return text;
}

// One line as FormatOutputChange writes it (the line end optional); nothing for anything else.
inline std::optional<OutputChange> ParseOutputChange(const std::string& line)
{
    long long time = 0;
    int dtr = 0;
    int rts = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%lld dtr=%1d rts=%1d%n", &time, &dtr, &rts, &used) != 3 || dtr > 1 || rts > 1)
        return std::nullopt;
    if (line.find_first_not_of("\r\n", std::size_t(used)) != std::string::npos)
        return std::nullopt;
    return OutputChange{time, dtr == 1, rts == 1};
}

inline std::string FormatDrivenInputs(const DrivenInputs& inputs)
{
    char text[32];
    std::snprintf(text, sizeof text, "dsr=%d dcd=%d cts=%d\n", inputs.dsr ? 1 : 0, inputs.dcd ? 1 : 0,
                  inputs.cts ? 1 : 0);
    return text;
}

// A line that is not asserted in the text (or the text missing) reads as released.
inline DrivenInputs ParseDrivenInputs(const char* text)
{
    DrivenInputs inputs;
    if (!text)
        return inputs;
    inputs.dsr = std::strstr(text, "dsr=1") != nullptr;
    inputs.dcd = std::strstr(text, "dcd=1") != nullptr;
    inputs.cts = std::strstr(text, "cts=1") != nullptr;
    return inputs;
}

}  // namespace zandor::sim
