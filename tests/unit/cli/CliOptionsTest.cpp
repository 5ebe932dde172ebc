#include "cli/CliOptions.h"
#include "cli/GangRun.h"

#include <gtest/gtest.h>

using namespace zandor::cli;

namespace {
QStringList Split(const char* text) { return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts); }
}  // namespace

TEST(CliOptions, CommandsAndOptionsInAnyOrder)
{
    const ParsedCommandLine parsed = ParseCliArguments(Split(
        "--json program Image.bin --port /dev/ttyUSB0 --ports 2,/dev/ttyUSB1 --memory external --offset 1f00 "
        "--cpu st10f168 --baud 57600 --wait 2.5 --loop --log run.jsonl -q --trace=t.txt"));
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.command, Command::Program);
    EXPECT_EQ(o.file, "Image.bin");
    EXPECT_EQ(o.ports, QStringList({"/dev/ttyUSB0", "2", "/dev/ttyUSB1"}));
    EXPECT_EQ(o.memoryKind, zandor::profiles::ExternalFlashMemory);
    EXPECT_EQ(o.offset, QString("1f00"));
    EXPECT_EQ(o.cpu, "ST10F168");
    EXPECT_EQ(o.baud, 57600);
    EXPECT_EQ(o.waitSeconds, 2.5);
    EXPECT_TRUE(o.json && o.quiet && o.loop);
    EXPECT_EQ(o.trace, "t.txt");

    EXPECT_EQ(ParseCliArguments(Split("profiles show Bench")).options.command, Command::ProfilesShow);
    EXPECT_EQ(ParseCliArguments(Split("profiles show Bench")).options.profileName, "Bench");
    EXPECT_EQ(ParseCliArguments(Split("check x.sre --offset 10")).options.command, Command::Check);
    EXPECT_EQ(ParseCliArguments(Split("erase --help")).options.command, Command::Help);
}

// A board process must read its arguments exactly as the parent read them: they are the
// parent's own, never rebuilt from what was parsed (an empty --offset= once went missing).
TEST(CliOptions, BoardProcessesGetTheParentsOwnArguments)
{
    const QStringList typed{"--offset=", "program", "--ports", "/dev/a,/dev/b", "--profile", "-odd, name",
                            "--preloader=pre loader.bin", "--trace", "t", "-q", "--", "-Äpp,1.bin"};
    const ParsedCommandLine parent = ParseCliArguments(typed);
    ASSERT_TRUE(parent.error.isEmpty()) << parent.error.toStdString();
    const QStringList child = BoardProcessArguments(parent.options, "/dev/b", "ab12");
    EXPECT_EQ(child, QStringList({"--port", "/dev/b", "--json", "--expect-image", "ab12", "--trace", "t.b",
                                  "--offset=", "program", "--profile", "-odd, name", "--preloader=pre loader.bin",
                                  "-q", "--", "-Äpp,1.bin"}));
    const CliOptions board = ParseCliArguments(child).options;
    EXPECT_EQ(board.offset, QString(""));
    EXPECT_EQ(board.profileName, "-odd, name");
    EXPECT_EQ(board.file, "-Äpp,1.bin");
    EXPECT_EQ(board.ports, QStringList{"/dev/b"});
}

// The serial-number options as a production line types them.
TEST(CliOptions, SerialNumberOptions)
{
    const CliOptions o = ParseCliArguments({"program", "a.sre", "--serial-at", "0x1F000", "--serial-file", "c",
                                            "--serial-start", "100", "--serial-step", "2", "--serial-format",
                                            "bcd:4", "--serial-placeholder", "00", "--operator", "Ana",
                                            "--skip-blank"})
                             .options;
    EXPECT_EQ(o.serialAt, 0x1F000u);
    EXPECT_EQ(o.serialStart, 100u);
    EXPECT_EQ(o.serialStep, 2u);
    EXPECT_EQ(zandor::protocol::SerialNumberFormatText(o.serialFormat), QStringLiteral("bcd:4"));
    EXPECT_EQ(o.serialPlaceholder, QStringLiteral("00"));
    EXPECT_EQ(o.operatorName, QStringLiteral("Ana"));
    EXPECT_TRUE(o.skipBlank);
}

TEST(CliOptions, OffsetsAsPeopleTypeThem)
{
    for (auto [typed, digits] : {std::pair{"10000", "10000"}, {"0x10000", "10000"}, {"0X1f00", "1f00"},
                                 {"10000h", "10000"}, {"1F00H", "1F00"}, {"", ""}}) {
        const ParsedCommandLine parsed = ParseCliArguments({"check", "a.bin", QStringLiteral("--offset=") + typed});
        EXPECT_TRUE(parsed.error.isEmpty()) << typed << ": " << parsed.error.toStdString();
        EXPECT_EQ(parsed.options.offset, QString(digits)) << typed;
    }
    for (const char* typed : {"0x", "h", "0x10h", "x10", "12G4"})
        EXPECT_FALSE(ParseCliArguments({"check", "a.bin", "--offset", typed}).error.isEmpty()) << typed;
}

TEST(CliOptions, UsageErrorsSayWhat)
{
    for (auto [arguments, error] : {std::pair{"", "no command"},
                                    {"flash", "unknown command 'flash'"},
                                    {"program --bogus", "unknown option --bogus"},
                                    {"program --port", "--port needs a value"},
                                    {"program --baud fast", "--baud"},
                                    {"program --memory eeprom", "--memory"},
                                    {"program --cpu 8051", "--cpu"},
                                    {"program --offset 12G4", "--offset"},
                                    {"program --wait -1", "--wait: '-1'"},
                                    {"program --wait nan", "--wait: 'nan'"},
                                    {"program --wait 0.0004", "--wait: '0.0004'"},
                                    {"program --expect-sha256 ab", "unknown option"},
                                    {"program a.sre b.sre", "at most one file"},
                                    {"check", "exactly one file"},
                                    {"identify --port 1 --port 2", "several ports"},
                                    {"identify --port COM0", "COM numbers start at 1"},
                                    {"identify --port -3", "neither a device nor a COM number"},
                                    {"program --ports ,", "no port given"},
                                    {"program --ports 1,2,1", "--port 1 is given twice"},
                                    {"erase --loop", "--loop"},
                                    {"check a.sre --wait 3", "--wait"},
                                    {"--json=yes identify", "takes no value"},
                                    {"program --skip-blank --memory data", "--skip-blank with --memory data"},
                                    {"erase --skip-blank", "--skip-blank is for program only"},
                                    {"program --serial-file c", "need --serial-at"},
                                    {"program --serial-at 1F000", "either --serial-file"},
                                    {"program --serial-at 1F000 --serial-file c --serial-command x", "either"},
                                    {"program --serial-at 1F000 --serial-file c", "needs --serial-start"},
                                    {"program --serial-at 1F000 --serial-command x --serial-start 1", "are for --serial-file"},
                                    {"program --serial-at 1F0G0", "--serial-at: '1F0G0'"},
                                    {"program --serial-start -1", "--serial-start: '-1'"},
                                    {"program --serial-step 0", "--serial-step: '0'"},
                                    {"program --serial-format u24le", "--serial-format"},
                                    {"program --serial-at 10 --serial-command x --serial-placeholder FFF",
                                     "--serial-placeholder"},
                                    {"identify --serial-at 10 --serial-command x", "for program only"}}) {
        const QString found = ParseCliArguments(Split(arguments)).error;
        EXPECT_TRUE(found.contains(QLatin1String(error))) << arguments << ": " << found.toStdString();
    }
    // An empty file, profile, log or trace name (an unset variable in a script) would fall
    // back to the profile's own: refused, naming the option. An empty offset stays 0.
    const std::pair<QStringList, const char*> empties[] = {
        {{"program", ""}, "program"},     {{"program", "--", ""}, "program"},
        {{"program", "--log="}, "--log"}, {{"program", "--trace", ""}, "--trace"}};
    for (const auto& [arguments, named] : empties) {
        const QString found = ParseCliArguments(arguments).error;
        EXPECT_TRUE(found.startsWith(QLatin1String(named)) && found.contains(QStringLiteral("empty")))
            << arguments.join(' ').toStdString() << ": " << found.toStdString();
    }
    EXPECT_TRUE(ParseCliArguments({"program", "--offset", ""}).error.isEmpty());
    for (const char* wait : {"0", "0.001", "2.5"})
        EXPECT_TRUE(ParseCliArguments({"identify", "--wait", wait}).error.isEmpty()) << wait;
}
