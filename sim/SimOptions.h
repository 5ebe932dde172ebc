#pragma once

// Command-line options of the simulated board.

#include "BootWiring.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zandor::sim {

// A reply character the board sends instead of "*" at one bank erase or one record.
struct Refusal {
    enum class Where { Erase, Record };
    Where where = Where::Record;
    int index = 0;     // bank number, or 1-based record number
    char reply = '!';  // one of ! ? # $
};

struct SimOptions {
    std::string linkPath;  // symbolic link to the slave device; empty: none
    std::string logPath;   // event log, appended; empty: none
    std::string dumpPath;  // memory model dump; empty: none

    std::uint8_t idByte = 0xC5;      // bootstrap identification byte
    bool silent = false;             // never answer the zero byte
    int preloaderSize = 32;          // bytes the bootstrap mode takes
    int eraseMs = 20;                // time one bank erase takes
    int ackDelayMs = 0;              // extra delay before every record reply
    bool splitReply = false;         // reply "*" and a second byte 50 ms later
    std::string strayBytes;          // bytes sent ahead of every record reply
    int closeAfterRecords = 0;       // 0: never close the line
    long baud = 0;                   // 0: no pacing
    int latencyMs = 0;               // every reply held this long, like a USB adapter's timer
    int rearmMs = 0;                 // quiet after a download until the next board; 0: never
    bool noReset = false;            // a zero byte between records is ignored, never a reset
    std::vector<Refusal> refusals;
    // The reset and boot-mode pins on the host's DTR and RTS, and the fixture's presence
    // line. The host's line changes and the inputs it reads travel through two files in
    // modemDir (see ModemFiles.h), which the test support's preload library uses.
    std::optional<WiredLine> resetLine;  // nothing: the board runs its bootstrap mode as ever
    std::optional<WiredLine> bootLine;   // nothing: the line the reset is not on
    PresenceLine presenceLine = PresenceLine::None;
    std::string modemDir;
    int swapMs = 0;                  // a programmed board is taken out, and the next fitted, MS apart; 0: never
    int boards = 0;                  // boards the fixture holds in turn; 0: no end
    bool help = false;               // --help: print the options and end
    bool version = false;            // --version: print the version and end
};

// Parses argv. On a bad option returns false and sets `error` to a one-line reason.
bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error);
// The options that depend on each other: fills the boot line in, refuses what cannot go
// together. ParseOptions ends with it.
bool CheckOptionsTogether(SimOptions& options, std::string& error);
std::string UsageText();
// The usage line and what every option does, for --help.
std::string HelpText();

}  // namespace zandor::sim
