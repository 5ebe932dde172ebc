#include "FakeBoardLine.h"
#include "sim/Board.h"

#include <gtest/gtest.h>

namespace zandor::sim {
namespace {

// The bootstrap loader counts 32 bytes and jumps to them; it knows nothing of files. A
// pre-loader of another size shifts the loader image, and the board falls silent as a real
// one does: the host sees the identification byte and then no loader acknowledgement.
TEST(BoardPreLoaderTest, OnlyAPreLoaderOf32BytesBringsUpTheLoader)
{
    const std::string id = "\xC5";
    // An S3 record storing 77h at 00010000h (checksum FFh less 7Eh).
    const std::string record("S3\x06\x00\x01\x00\x00\x77\x81", 9);
    const struct {
        int preLoaderBytes;
        std::string replies;
        std::size_t memoryBytes;
    } cases[] = {
        {32, id + "***", 1},  // the loader announcing itself, then both records
        {33, id, 0},  // the 33rd byte heads the loader image: its tag lands one byte late
        {31, id, 0},  // the loader's first byte completes the pre-loader: the image stays short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preLoaderBytes);
        SimOptions options;
        FakeBoardLine line;
        EventLog log;
        Board board(options, line, log);
        const std::string bytes = std::string(1, '\0') + std::string(std::size_t(c.preLoaderBytes), '\x11')
            + TaggedLoaderImage() + record + record;
        for (char byte : bytes)
            board.feed(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(line.sent, c.replies);
        EXPECT_EQ(board.memory().size(), c.memoryBytes);
    }
}

}  // namespace
}  // namespace zandor::sim
