// The reasons both front ends show: a refused identification byte named from the table,
// and the serial formats the bootstrap loader takes.

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
