#include "BootWiring.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

namespace zandor::sim {

namespace {

// One row per line name: parsing and the choices come from here.
struct WiredRow {
    const char* name;
    WiredLine line;
};
constexpr std::array<WiredRow, 2> kWiredLines{{{"dtr", WiredLine::Dtr}, {"rts", WiredLine::Rts}}};

struct PresenceRow {
    const char* name;
    PresenceLine line;
};
constexpr std::array<PresenceRow, 4> kPresenceLines{
    {{"none", PresenceLine::None}, {"dsr", PresenceLine::Dsr}, {"dcd", PresenceLine::Dcd}, {"cts", PresenceLine::Cts}}};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

template <typename Rows>
std::string Choices(const Rows& rows)
{
    std::string text;
    for (const auto& row : rows)
        text += (text.empty() ? "" : "|") + std::string(row.name);
    return text;
}

}  // namespace

std::optional<WiredLine> ParseWiredLine(const std::string& text)
{
    for (const WiredRow& row : kWiredLines)
        if (Lower(text) == row.name)
            return row.line;
    return std::nullopt;
}

std::optional<PresenceLine> ParsePresenceLine(const std::string& text)
{
    for (const PresenceRow& row : kPresenceLines)
        if (Lower(text) == row.name)
            return row.line;
    return std::nullopt;
}

std::string WiredLineChoices()
{
    return Choices(kWiredLines);
}

std::string PresenceLineChoices()
{
    return Choices(kPresenceLines);
}

const char* BoardModeName(BoardMode mode)
{
    switch (mode) {
    case BoardMode::HeldInReset:
        return "held in reset";
    case BoardMode::Bootstrap:
        return "bootstrap mode";
    case BoardMode::Application:
        return "running its application";
    }
    return "";
}

BootWiring::BootWiring(const Wiring& wiring)
    : wiring_(wiring), history_{{std::numeric_limits<std::int64_t>::min(), BoardMode::Application}}
{
}

BoardMode BootWiring::linesChanged(std::int64_t timeNs, bool dtr, bool rts)
{
    const bool wasInReset = level(wiring_.reset, dtr_, rts_);
    const bool bootDuringReset = level(wiring_.boot, dtr_, rts_);
    dtr_ = dtr;
    rts_ = rts;
    const bool inReset = level(wiring_.reset, dtr, rts);

    BoardMode next = mode();
    if (inReset) {
        next = BoardMode::HeldInReset;
    } else if (wasInReset) {
        next = bootDuringReset ? BoardMode::Bootstrap : BoardMode::Application;
        ++resets_;
    }
    // A boot line moved while the board runs changes nothing: it is sampled only at reset.
    const std::int64_t at = std::max(timeNs, history_.back().fromNs);
    if (next != mode())
        history_.push_back({at, next});
    return next;
}

BoardMode BootWiring::modeAt(std::int64_t timeNs) const
{
    // The last span that began at or before the moment.
    const auto after = std::upper_bound(history_.begin(), history_.end(), timeNs,
                                        [](std::int64_t time, const Span& span) { return time < span.fromNs; });
    return after == history_.begin() ? history_.front().mode : std::prev(after)->mode;
}

void BootWiring::forgetBefore(std::int64_t timeNs)
{
    const auto after = std::upper_bound(history_.begin(), history_.end(), timeNs,
                                        [](std::int64_t time, const Span& span) { return time < span.fromNs; });
    if (after != history_.begin())
        history_.erase(history_.begin(), std::prev(after));
}

DrivenInputs BootWiring::drivenInputs() const
{
    DrivenInputs inputs;
    const bool on = present_;
    inputs.dsr = on && wiring_.presence == PresenceLine::Dsr;
    inputs.dcd = on && wiring_.presence == PresenceLine::Dcd;
    inputs.cts = on && wiring_.presence == PresenceLine::Cts;
    return inputs;
}

}  // namespace zandor::sim
