#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zandor::sim;

namespace {

bool Parse(std::vector<std::string> arguments, SimOptions& options, std::string& error)
{
    arguments.insert(arguments.begin(), "zandor-sim");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return ParseOptions(int(argv.size()), argv.data(), options, error);
}

}  // namespace

TEST(SimOptions, ValuesWiringAndRefusals)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--id", "d5", "--erase-ms", "0", "--refuse", "!@erase:2", "--refuse", "#@record:3",
                       "--stray", "0A0d", "--baud", "9600", "--no-reset", "--version", "-h"},
                      o, error))
        << error;
    EXPECT_EQ(o.idByte, 0xD5);
    EXPECT_EQ(o.eraseMs, 0);
    ASSERT_EQ(o.refusals.size(), 2u);
    EXPECT_EQ(o.refusals[1].index, 3);
    EXPECT_EQ(o.strayBytes, std::string("\x0a\x0d"));
    EXPECT_EQ(o.baud, 9600);
    EXPECT_TRUE(o.noReset && o.version && o.help);

    SimOptions w;
    ASSERT_TRUE(Parse({"--reset-line", "RTS", "--modem-dir", "/tmp/x", "--presence-line", "dsr", "--swap-ms", "500",
                       "--boards", "3"},
                      w, error))
        << error;
    EXPECT_EQ(w.resetLine, WiredLine::Rts);
    EXPECT_EQ(w.bootLine, WiredLine::Dtr);  // the other line
    EXPECT_EQ(w.presenceLine, PresenceLine::Dsr);
    EXPECT_EQ(w.swapMs, 500);
    EXPECT_EQ(w.boards, 3);

    for (auto [arguments, expected] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--bogus"}, "unknown option --bogus"},
             {{"--link"}, "--link needs a value"},
             {{"--id", "C5C5"}, "--id: 'C5C5' is not one hexadecimal byte"},
             {{"--rearm", "0"}, "--rearm: '0' is not a number from 1 to 60000"},
             {{"--latency", "1001"}, "--latency: '1001' is not a number from 0 to 1000"},
             {{"--refuse", "x@erase:1"}, "--refuse: 'x@erase:1' is not CHAR@erase:BANK"},
             {{"--reset-line", "cts"}, "--reset-line: 'cts' is not one of dtr|rts"},
             {{"--presence-line", "ri"}, "--presence-line: 'ri' is not one of none|dsr|dcd|cts"},
             {{"--reset-line", "dtr", "--boot-line", "dtr", "--modem-dir", "d"}, "--reset-line and --boot-line must"},
             {{"--boot-line", "dtr", "--modem-dir", "d"}, "--boot-line needs --reset-line"},
             {{"--reset-line", "rts"}, "--reset-line and --presence-line need --modem-dir"},
             {{"--presence-line", "dcd"}, "--reset-line and --presence-line need --modem-dir"},
             {{"--swap-ms", "10", "--rearm", "10"}, "--swap-ms and --rearm"},
             {{"--boards", "2"}, "--boards needs --swap-ms"}}) {
        SimOptions fresh;
        std::string found;
        EXPECT_FALSE(Parse(arguments, fresh, found));
        EXPECT_EQ(found.rfind(expected, 0), 0u) << found;
    }
    // --help lists every option the parser takes.
    for (const char* name : {"--link", "--stray", "--refuse", "--rearm", "--no-reset", "--version", "--reset-line",
                             "--boot-line", "--presence-line", "--modem-dir", "--swap-ms", "--boards"})
        EXPECT_NE(HelpText().find(name), std::string::npos) << name;
}
