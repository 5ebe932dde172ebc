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
    const std::string record = ByteRecord(0x10000, 0x77);
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
        TestBoard t;
        t.feed(BootBytes(c.preLoaderBytes) + record + record);
        EXPECT_EQ(t.line.sent, c.replies);
        EXPECT_EQ(t.board.memory().size(), c.memoryBytes);
    }
}

}  // namespace
}  // namespace zandor::sim
