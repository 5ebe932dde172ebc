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
// Bootstrap: the zero byte, the pre-loader, then the loader image.
const std::string kBoot = kZero + std::string(32, '\0') + TaggedLoaderImage();
// An S3 record storing one byte 77h at 00010000h; its checksum is FFh less the sum of the
// count, address and data bytes (7Eh).
const std::string kRecord("S3\x06\x00\x01\x00\x00\x77\x81", 9);

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
        FakeBoardLine line;
        EventLog log;
        Board board(options, line, log);
        for (const Step& step : c.steps) {
            if (const auto* bytes = std::get_if<std::string>(&step)) {
                for (char byte : *bytes)
                    board.feed(static_cast<std::uint8_t>(byte));
            } else {
                line.clockMs += std::get<Quiet>(step).ms;
                board.checkQuiet();
            }
        }
        EXPECT_EQ(line.sent, c.replies);
        EXPECT_EQ(board.boardNumber(), c.board);
        EXPECT_EQ(board.memory().size(), c.memoryBytes);
    }
}

TEST(BoardQuietLineTest, SwapTakesTheProgrammedBoardOutThenFitsTheNextUntilTheFixtureIsEmpty)
{
    SimOptions options;
    options.swapMs = 500;
    options.boards = 2;
    FakeBoardLine line;
    EventLog log;
    Board board(options, line, log);
    const auto feed = [&](const std::string& bytes) {
        for (char byte : bytes)
            board.feed(static_cast<std::uint8_t>(byte));
    };
    const auto quiet = [&](int ms) {
        line.clockMs += ms;
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
    EXPECT_EQ(line.sent, kId + "**" + kId + "**");
}

TEST(BoardQuietLineTest, AResetPulseRestartsTheBootstrapModeAndKeepsTheFlash)
{
    SimOptions options;
    FakeBoardLine line;
    EventLog log;
    Board board(options, line, log);
    for (char byte : kBoot + kRecord)
        board.feed(static_cast<std::uint8_t>(byte));
    board.restart();
    board.feed(0);
    EXPECT_EQ(line.sent, kId + "**" + kId);
    EXPECT_EQ(board.memory().size(), 1u);
    EXPECT_EQ(board.boardNumber(), 1);
}

}  // namespace
}  // namespace zandor::sim
