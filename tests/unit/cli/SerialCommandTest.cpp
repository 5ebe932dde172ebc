#include "cli/SerialNumbers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace zandor::cli;

// What --serial-command's answers become: a number, or a refusal that quotes the command's
// error output. A command that hangs is ended at the limit, not waited for.
TEST(SerialCommand, AnswersAndRefusals)
{
    int argc = 1;
    char name[] = "cli_tests";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);  // QProcess reports its end through the event loop

    constexpr int kShortLimitMs = 300;
    struct Case {
        const char* command;
        std::optional<std::uint64_t> number;
        const char* fault;  // part of the refusal
    };
    const Case cases[] = {
        {"echo 42", 42, ""},
        {"echo 18446744073709551615", 18446744073709551615ull, ""},
        {"echo busy >&2; exit 4", std::nullopt, "failed (exit 4): busy"},
        {"echo 18446744073709551616", std::nullopt, "no decimal number"},
        {"echo late >&2; sleep 5", std::nullopt, "gave no answer within 0.3 s: late"},
    };
    for (const Case& c : cases) {
        QString fault;
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RunSerialCommand(QString::fromUtf8(c.command), &fault, kShortLimitMs), c.number) << c.command;
        EXPECT_TRUE(fault.contains(QString::fromUtf8(c.fault))) << c.command << ": " << fault.toStdString();
        EXPECT_LT(clock.elapsed(), 3000) << c.command;
    }
}
