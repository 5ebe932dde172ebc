#include "FakeBoardLine.h"
#include "sim/Board.h"

#include <gtest/gtest.h>

#include <variant>

namespace zandor::sim {
namespace {

struct Quiet {
    int ms;  // the line stays quiet this long, then the board looks at its clock
};
using Step = std::variant<std::string, Quiet>;  // bytes from the host, or quiet

const std::string kZero(1, '\0');
const std::string kId = "\xC5";
const std::string kBoot = BootBytes();
const std::string kRecord = ByteRecord(0x10000, 0x77);

struct Case {
    const char* name;
    int rearmMs;
    bool noReset;
    std::vector<Step> steps;
    std::string replies;  // everything the board sent
    int board;            // boards fitted at the end
    std::size_t memoryBytes;
};

TEST(BoardQuietLineTest, ZeroByteAfterADownloadAndTheNextBoard)
{
    const std::string loaded = kId + "*", stored = loaded + "*", storedThenId = stored + kId;
    const Case cases[] = {
        {"zero byte is a reset", 0, false, {kBoot, kRecord, kZero}, storedThenId, 1, 1},
        {"no-reset ignores it", 0, true, {kBoot, kRecord, kZero, Quiet{60000}}, stored, 1, 1},
        {"rearm: probes unanswered while the line is not quiet long enough", 500, false,
         {kBoot, Quiet{400}, kRecord, Quiet{300}, kZero, Quiet{199}, kZero}, stored, 1, 1},
        {"rearm: the probes do not hold the quiet off", 500, false,
         {kBoot, Quiet{400}, kRecord, Quiet{300}, kZero, Quiet{200}, kZero}, storedThenId, 2, 0},
        {"rearm only after a record", 500, false, {kBoot, Quiet{60000}, kZero}, loaded + kId, 1, 0},
        {"a half record is dropped, then the board is swapped", 500, false,
         {kBoot, kRecord, "S3", Quiet{kQuietRecordMs}, kZero}, storedThenId, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions options;
        options.rearmMs = c.rearmMs;
        options.noReset = c.noReset;
        TestBoard t(options);
        for (const Step& step : c.steps) {
            if (const auto* bytes = std::get_if<std::string>(&step)) {
                t.feed(*bytes);
            } else {
                t.line.clockMs += std::get<Quiet>(step).ms;
                t.board.checkQuiet();
            }
        }
        EXPECT_EQ(t.line.sent, c.replies);
        EXPECT_EQ(t.board.boardNumber(), c.board);
        EXPECT_EQ(t.board.memory().size(), c.memoryBytes);
    }
}

TEST(BoardQuietLineTest, SwapTakesTheProgrammedBoardOutThenFitsTheNextUntilTheFixtureIsEmpty)
{
    SimOptions options;
    options.swapMs = 500;
    options.boards = 2;
    TestBoard t(options);
    Board& board = t.board;
    const auto feed = [&](const std::string& bytes) { t.feed(bytes); };
    const auto quiet = [&](int ms) {
        t.line.clockMs += ms;
        board.checkQuiet();
    };
    feed(kBoot);
    quiet(60000);
    EXPECT_TRUE(board.present());  // not programmed: nobody takes it out
    feed(kRecord);
    board.restart();  // the run sequence starts the application: still the same board
    quiet(499);
    EXPECT_TRUE(board.present());
    quiet(1);
    EXPECT_FALSE(board.present());
    feed(kZero);  // nobody in the fixture to answer, and the fixture's timing goes on
    quiet(500);
    EXPECT_TRUE(board.present());
    EXPECT_EQ(board.boardNumber(), 2);
    EXPECT_TRUE(board.memory().empty());
    feed(kBoot + kRecord);
    quiet(500);
    EXPECT_FALSE(board.present());
    quiet(60000);
    EXPECT_FALSE(board.present());  // two boards in all
    EXPECT_EQ(board.boardNumber(), 2);
    EXPECT_EQ(t.line.sent, kId + "**" + kId + "**");
}

TEST(BoardQuietLineTest, AResetPulseRestartsTheBootstrapModeAndKeepsTheFlash)
{
    TestBoard t;
    t.feed(kBoot + kRecord);
    t.board.restart();
    t.feed(kZero);
    EXPECT_EQ(t.line.sent, kId + "**" + kId);
    EXPECT_EQ(t.board.memory().size(), 1u);
    EXPECT_EQ(t.board.boardNumber(), 1);
}

}  // namespace
}  // namespace zandor::sim
