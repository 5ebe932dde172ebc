#pragma once

// The simulator's end of the simulated modem lines (see ModemLineText.h): a FIFO the
// host's DTR and RTS changes arrive in, and a small file with the inputs the board drives.
// Both live in one folder the tests hand to the host as ZANDOR_MODEMLINES_CHANGES and
// ZANDOR_MODEMLINES_INPUTS.

#include "ModemLineText.h"

#include <string>
#include <vector>

namespace zandor::sim {

constexpr const char* kChangesFileName = "changes";
constexpr const char* kInputsFileName = "inputs";

class ModemFiles {
public:
    ModemFiles() = default;
    ~ModemFiles();
    ModemFiles(const ModemFiles&) = delete;
    ModemFiles& operator=(const ModemFiles&) = delete;

    // Creates the FIFO (kept if it is one already) and opens it for reading and writing,
    // so it never reports an end when a host closes its side. False with `error`.
    bool open(const std::string& folder, std::string& error);
    int changesFd() const { return changes_; }
    // Every complete change line waiting in the FIFO, in order; lines that do not parse
    // are skipped.
    std::vector<OutputChange> takeChanges();
    // Replaces the inputs file in one step, so the host never reads half of it.
    bool writeInputs(const DrivenInputs& inputs);

private:
    std::string folder_;
    int changes_ = -1;
    std::string partial_;  // the start of a line whose end has not arrived yet
};

}  // namespace zandor::sim
