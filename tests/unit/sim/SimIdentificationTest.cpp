#include "FakeBoardLine.h"
#include "protocol/ChipIdentification.h"
#include "sim/Board.h"
#include "sim/SimOptions.h"

#include <gtest/gtest.h>

namespace zandor::sim {
namespace {

// Every identification byte the family answers with can be played by the simulated board,
// so each message about it can be seen end to end.
TEST(SimIdentificationTest, TheBoardAnswersEveryIdentificationByteOfTheTable)
{
    for (const protocol::ChipIdentification& row : protocol::ChipIdentifications()) {
        const std::string hex = Hex2(row.byte);
        SCOPED_TRACE(hex);
        std::string program = "zandor-sim", option = "--id", value = hex;
        char* argv[] = {program.data(), option.data(), value.data()};
        SimOptions options;
        std::string error;
        ASSERT_TRUE(ParseOptions(3, argv, options, error)) << error;
        TestBoard t(options);
        t.feed(std::string(1, char(kBootstrapRequest)));
        EXPECT_EQ(t.line.sent, std::string(1, static_cast<char>(row.byte)));
    }
}

}  // namespace
}  // namespace zandor::sim
