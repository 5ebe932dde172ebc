#pragma once

// How a board's reset and boot-mode pins are wired to the host's DTR and RTS. Fed every
// change of the two lines with its time, it tells what the board does at any moment: held
// in reset, in its bootstrap mode (answers the zero byte), or running its application
// (silent). The chip samples its boot pin (P0L.4) when reset ends, so only the boot line's
// level at that moment counts; a boot line released in the same change as the reset is
// still seen as it was during reset. It also holds the presence line a fixture drives when
// a board sits in it. Pure: the line changes come from whoever reads them.

#include "ModemLineText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zandor::sim {

enum class WiredLine { Dtr, Rts };
enum class PresenceLine { None, Dsr, Dcd, Cts };

enum class BoardMode {
    HeldInReset,
    Bootstrap,    // waits for the zero byte; a fresh baud-rate measurement
    Application,  // the board's own program runs: it never answers on the line
};

// "dtr", "rts" (either case); nothing for anything else.
std::optional<WiredLine> ParseWiredLine(const std::string& text);
// "none", "dsr", "dcd", "cts"; nothing for anything else.
std::optional<PresenceLine> ParsePresenceLine(const std::string& text);
// "dtr|rts" and "none|dsr|dcd|cts", for help and refusals.
std::string WiredLineChoices();
std::string PresenceLineChoices();
const char* BoardModeName(BoardMode mode);

struct Wiring {
    WiredLine reset = WiredLine::Rts;
    WiredLine boot = WiredLine::Dtr;
    PresenceLine presence = PresenceLine::None;
};

class BootWiring {
public:
    // A board powered up with both lines released runs its application. Reset and boot
    // on one line make no sense: the constructor takes them as given, the caller refuses.
    explicit BootWiring(const Wiring& wiring);

    // The lines' levels (asserted = true) from `timeNs` on (CLOCK_MONOTONIC). A time earlier
    // than the last change counts as that change's time. Returns the mode afterwards.
    BoardMode linesChanged(std::int64_t timeNs, bool dtr, bool rts);
    BoardMode linesChanged(const OutputChange& change) { return linesChanged(change.timeNs, change.dtr, change.rts); }

    BoardMode mode() const { return history_.back().mode; }
    // The mode at `timeNs`: a byte is judged by the moment it arrived, even when the change
    // that came before it is read after it.
    BoardMode modeAt(std::int64_t timeNs) const;
    // Times the board has left reset, into either mode: each one restarts the board.
    int resets() const { return resets_; }
    // Forgets modes before `timeNs` (keeping the one in force then), so a long run's history stays small.
    void forgetBefore(std::int64_t timeNs);

    // The fixture reports a board in place (true) or none.
    void setBoardPresent(bool present) { present_ = present; }
    bool boardPresent() const { return present_; }
    // The inputs the host reads: the presence line asserted while a board is present.
    DrivenInputs drivenInputs() const;

    const Wiring& wiring() const { return wiring_; }

private:
    struct Span {
        std::int64_t fromNs;
        BoardMode mode;
    };
    bool level(WiredLine line, bool dtr, bool rts) const { return line == WiredLine::Dtr ? dtr : rts; }

    Wiring wiring_;
    bool dtr_ = false;
    bool rts_ = false;
    std::vector<Span> history_;
    int resets_ = 0;
    bool present_ = true;
};

}  // namespace zandor::sim
