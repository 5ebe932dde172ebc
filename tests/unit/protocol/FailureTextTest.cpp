// The reasons both front ends show: a refused identification byte named from the table,
// what to check when no board answers, the window's and the command line's framing.

#include "protocol/FailureText.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SerialFormat.h"

#include <gtest/gtest.h>

using namespace zandor;
using namespace zandor::protocol;

namespace {

profiles::ProfileData Profile(const QString& settings, const QString& processor = QStringLiteral("C167"))
{
    profiles::ProfileData profile;
    profile.COMSettings = settings;
    profile.ProcessorCode = processor;
    return profile;
}

StepEndEvent Identification(Outcome outcome, int byte = -1)
{
    StepEndEvent end;
    end.phase = Phase::Identify;
    end.outcome = outcome;
    end.limitTicks = kIdentifyLimitTicks;
    if (byte >= 0) {
        end.chip = std::uint8_t(byte);
        end.reply = QByteArray(1, char(byte));
    }
    return end;
}

}  // namespace

TEST(FailureTextTest, ARefusedIdentificationByteIsNamedWithWhatToTry)
{
    const struct {
        int byte;
        const char* processor;
        const char* text;
    } cases[] = {
        // D5h for a C167: tst_check_and_chips and the window's Reset test; each byte's meaning:
        // ChipIdentificationTest.
        {0xC5, "ST10F168",
         "identify: the board answered C5h, not as a ST10F168 (D5h): that is a C167 derivative such as the C167CR: "
         "choose the CPU type C167 if this is one"},
        // Our own zero byte back: an echoing adapter, not a chip.
        {0x00, "C167",
         "identify: the board answered 00h, not as a C167 (C5h): that is our own zero byte coming back: the adapter "
         "echoes what it sends (a half-duplex one); use one that does not"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(FailureText(Identification(Outcome::WrongTarget, c.byte), Profile("38400,N,8,1", c.processor)),
                  QString::fromUtf8(c.text));
    }
}

// The checklist itself, with and without the format item: the window's Reset test and
// tst_check_and_chips. Another program on the port takes the replies: that alone is said.
TEST(FailureTextTest, NoBoardOnAPortAnotherProgramHoldsNamesThatProgram)
{
    FailureContext held;
    held.portHolders = {"cat (pid 4711)"};
    EXPECT_EQ(FailureText(Identification(Outcome::NoTarget), Profile("9600,E,7,1"), held),
              "identify: no answer within 0.2 s: the port is open in another program, cat (pid 4711), which may "
              "take the board's replies: close it");
}

TEST(FailureTextTest, TheWindowFramesTheStepItsOwnWayWithTheSameReason)
{
    StepEndEvent download;
    download.phase = Phase::Download;
    download.record = 3;
    download.records = 4;
    download.hasAddress = true;
    download.address = 0x10020;
    download.limitTicks = kRecordAckLimitTicks;
    FailureContext window;
    window.framing = Framing::Window;
    const struct {
        Outcome outcome;
        QByteArray reply;
        const char* commandLine;
        const char* inWindow;
    } cases[] = {
        {Outcome::Refused, "#", "download: record 3 at 00010020 refused: Chip Program Failure : (23 #)",
         "record 3 of 4 refused: Chip Program Failure : (23 #)"},
        {Outcome::NotAcknowledged, {}, "download: record 3 at 00010020 not acknowledged within 1.0 s",
         "record 3 of 4 not acknowledged within 1.0 s"},
        {Outcome::LineFailed, {}, "download: record 3 at 00010020: the line went away: is the adapter still plugged in?",
         "record 3 of 4: the line went away: is the adapter still plugged in?"},
    };
    for (const auto& c : cases) {
        download.outcome = c.outcome;
        download.reply = c.reply;
        EXPECT_EQ(FailureText(download), QString::fromUtf8(c.commandLine));
        EXPECT_EQ(FailureText(download, window), QString::fromUtf8(c.inWindow));
    }
}

TEST(SerialFormatTest, OnlyEightDataBitsWithoutParitySuitTheBootstrapLoader)
{
    const struct {
        const char* settings;
        const char* problem;
        int baud;
    } cases[] = {
        {"38400,N,8,1", "", 38400},
        {"19200, n , 8 , 2", "", 19200},
        {"9600,E,8,1", "8 data bits, parity E, not 8 data bits without parity", 9600},
        {"9600,N,7,1", "7 data bits, no parity, not 8 data bits without parity", 9600},
        {"fast,N,8,1", "", kFallbackBaudRate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        EXPECT_EQ(SerialFormatProblem(Profile(c.settings)), QString::fromUtf8(c.problem));
        EXPECT_EQ(BaudRateOf(Profile(c.settings)), c.baud);
    }
}
