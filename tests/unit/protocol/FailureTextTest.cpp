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
        {0xD5, "C167",
         "identify: the board answered D5h, not as a C167 (C5h): that is a chip with identification registers, "
         "such as the ST10F168: choose that CPU type if this is one"},
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

TEST(FailureTextTest, NoBoardListsWhatToCheckNamingAFormatOtherThan8N1)
{
    const struct {
        const char* settings;
        bool formatNamed;
    } cases[] = {
        {"38400,N,8,1", false}, {"38400,n,8,2", false}, {"9600,E,8,1", true},
        {"9600,N,7,1", true},   {"9600,O,7,2", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        const QStringList checks = NoBoardChecklist(Profile(c.settings));
        ASSERT_EQ(checks.size(), c.formatNamed ? 4 : 3);
        EXPECT_TRUE(checks.first().contains("bootstrap mode"));  // the most likely first
        EXPECT_EQ(checks[1].contains("serial format"), c.formatNamed);
        EXPECT_TRUE(checks[c.formatNamed ? 2 : 1].contains("try 19200 or 9600"));
        EXPECT_TRUE(checks.last().contains("00h is our own zero byte"));
        const QString text = FailureText(Identification(Outcome::NoTarget), Profile(c.settings));
        EXPECT_TRUE(text.startsWith("identify: no answer within 0.2 s: check, most likely first: " + checks.first()))
            << qPrintable(text);
    }
    // Another program on the port takes the replies: that alone is said.
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
    // The window's tooltip takes the checklist one item a line.
    const QString silent = FailureText(Identification(Outcome::NoTarget), Profile("38400,N,8,1"), window);
    EXPECT_TRUE(silent.startsWith("the identification: no answer within 0.2 s. Check, most likely first:\n- the board"))
        << qPrintable(silent);
    EXPECT_EQ(silent.count('\n'), 3);
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
