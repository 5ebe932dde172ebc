#include "sim/BootWiring.h"

#include <gtest/gtest.h>

#include <vector>

namespace zandor::sim {
namespace {

constexpr std::int64_t kMs = 1000000;  // ns

struct Change {
    int ms;
    bool dtr;
    bool rts;
    BoardMode after;
};

struct Case {
    const char* name;
    Wiring wiring;
    std::vector<Change> changes;
    int resets;
};

const Wiring kResetOnRts{WiredLine::Rts, WiredLine::Dtr, PresenceLine::None};
const Wiring kResetOnDtr{WiredLine::Dtr, WiredLine::Rts, PresenceLine::None};
constexpr auto R = BoardMode::HeldInReset;
constexpr auto B = BoardMode::Bootstrap;
constexpr auto A = BoardMode::Application;

TEST(BootWiring, ModeFollowsTheBootLineAtTheEndOfEachResetPulse)
{
    const Case cases[] = {
        {"run sequence dtr=on rts=on wait=50 rts=off", kResetOnRts, {{0, 1, 0, A}, {0, 1, 1, R}, {50, 1, 0, B}}, 1},
        {"reset with the boot line released starts the application", kResetOnRts, {{0, 0, 1, R}, {50, 0, 0, A}}, 1},
        {"boot line asserted only after the reset ended is too late", kResetOnRts,
         {{0, 0, 1, R}, {50, 0, 0, A}, {60, 1, 0, A}}, 1},
        {"boot line released during reset counts as released", kResetOnRts,
         {{0, 1, 1, R}, {20, 0, 1, R}, {50, 0, 0, A}}, 1},
        {"boot line released with the reset in one change was still held", kResetOnRts,
         {{0, 1, 1, R}, {50, 0, 0, B}}, 1},
        {"boot line moved while in bootstrap changes nothing", kResetOnRts, {{0, 1, 1, R}, {50, 1, 0, B}, {70, 0, 0, B}}, 1},
        {"end sequence resets into the application", kResetOnRts,
         {{0, 1, 1, R}, {50, 1, 0, B}, {900, 0, 1, R}, {950, 0, 0, A}}, 2},
        {"lines swapped", kResetOnDtr, {{0, 1, 1, R}, {50, 0, 1, B}, {60, 0, 0, B}}, 1},
        {"lines swapped, rts released", kResetOnDtr, {{0, 1, 0, R}, {50, 0, 0, A}}, 1},
        {"held in reset and never released", kResetOnRts, {{0, 1, 1, R}, {5000, 0, 1, R}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BootWiring wiring(c.wiring);
        EXPECT_EQ(wiring.mode(), A);  // powered up with the lines released
        for (const Change& change : c.changes)
            EXPECT_EQ(wiring.linesChanged(change.ms * kMs, change.dtr, change.rts), change.after) << change.ms;
        EXPECT_EQ(wiring.resets(), c.resets);
    }
}

TEST(BootWiring, AByteIsJudgedByTheModeAtItsArrival)
{
    BootWiring wiring(kResetOnRts);
    wiring.linesChanged(100 * kMs, true, true);
    wiring.linesChanged(150 * kMs, true, false);
    wiring.linesChanged(900 * kMs, false, true);
    wiring.linesChanged(880 * kMs, false, false);  // reported out of order: counts as 900 ms
    for (auto [ms, mode] : std::vector<std::pair<int, BoardMode>>{
             {0, A}, {100, R}, {149, R}, {150, B}, {899, B}, {900, A}, {5000, A}})
        EXPECT_EQ(wiring.modeAt(ms * kMs), mode) << ms;
    wiring.forgetBefore(160 * kMs);
    for (auto [ms, mode] : std::vector<std::pair<int, BoardMode>>{{160, B}, {899, B}, {900, A}})
        EXPECT_EQ(wiring.modeAt(ms * kMs), mode) << ms;
}

TEST(BootWiring, PresenceLineIsTheOneWiredAndOnlyWhileABoardSitsInTheFixture)
{
    BootWiring none(kResetOnRts);
    const DrivenInputs quiet = none.drivenInputs();
    EXPECT_FALSE(quiet.dsr || quiet.dcd || quiet.cts);
    BootWiring dcd({WiredLine::Rts, WiredLine::Dtr, PresenceLine::Dcd});
    EXPECT_EQ(FormatDrivenInputs(dcd.drivenInputs()), "dsr=0 dcd=1 cts=0\n");
    dcd.setBoardPresent(false);
    EXPECT_EQ(FormatDrivenInputs(dcd.drivenInputs()), "dsr=0 dcd=0 cts=0\n");

    EXPECT_EQ(ParseWiredLine("RTS"), WiredLine::Rts);
    EXPECT_EQ(ParsePresenceLine("cts"), PresenceLine::Cts);
    for (const char* bad : {"", "dsr", "rts "})
        EXPECT_FALSE(ParseWiredLine(bad)) << bad;
    EXPECT_EQ(WiredLineChoices(), "dtr|rts");
    EXPECT_EQ(PresenceLineChoices(), "none|dsr|dcd|cts");
}

TEST(BootWiring, ChangeLinesParseAsThePreloadedLibraryWritesThem)
{
    const auto change = ParseOutputChange(FormatOutputChange({1234567890123, true, false}));
    ASSERT_TRUE(change);
    EXPECT_EQ(change->timeNs, 1234567890123);
    EXPECT_TRUE(change->dtr && !change->rts);
    for (const char* bad : {"", "12 dtr=1", "12 dtr=2 rts=0", "x dtr=1 rts=0", "12 dtr=1 rts=0 junk"})
        EXPECT_FALSE(ParseOutputChange(bad)) << bad;
}

}  // namespace
}  // namespace zandor::sim
