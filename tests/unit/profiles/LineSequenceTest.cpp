#include "profiles/LineSequence.h"

#include <gtest/gtest.h>

using namespace zandor::profiles;

namespace {

LineStep Set(SequenceLine line, bool asserted)
{
    LineStep step;
    step.kind = LineStep::Kind::SetLine;
    step.line = line;
    step.asserted = asserted;
    return step;
}

LineStep Wait(int milliseconds)
{
    LineStep step;
    step.milliseconds = milliseconds;
    return step;
}

}  // namespace

TEST(LineSequence, StepsParseInOrderAndTheCanonicalTextParsesBack)
{
    struct Case {
        const char* text;
        LineSequence steps;
        const char* canonical;
    };
    const Case cases[] = {
        {"dtr=on rts=on wait=50 rts=off wait=100",
         {Set(SequenceLine::Dtr, true), Set(SequenceLine::Rts, true), Wait(50), Set(SequenceLine::Rts, false),
          Wait(100)},
         "dtr=on rts=on wait=50 rts=off wait=100"},
        {"  DTR=OFF\tRts=On\n wait=0 wait=10000 wait=0010 ", {Set(SequenceLine::Dtr, false),
          Set(SequenceLine::Rts, true), Wait(0), Wait(10000), Wait(10)},
         "dtr=off rts=on wait=0 wait=10000 wait=10"},
        {"", {}, ""},
        {"   ", {}, ""},
    };
    for (const Case& c : cases) {
        QString fault;
        const auto steps = ParseLineSequence(QString::fromLatin1(c.text), &fault);
        ASSERT_TRUE(steps) << c.text << ": " << fault.toStdString();
        EXPECT_EQ(*steps, c.steps) << c.text;
        EXPECT_EQ(LineSequenceText(*steps), QLatin1String(c.canonical));
        EXPECT_EQ(ParseLineSequence(LineSequenceText(*steps)), steps);
    }
}

TEST(LineSequence, AnRtsStepIsRefusedOnlyWhileRtsCtsHandshakingDrivesRts)
{
    const LineSequence onRts = *ParseLineSequence(QStringLiteral("dtr=on rts=on wait=50 rts=off"));
    const LineSequence onDtr = *ParseLineSequence(QStringLiteral("dtr=on wait=50 dtr=off"));
    for (int handshaking : {0, 1, 2, 3}) {
        const bool rtsCts = handshaking == 2 || handshaking == 3;
        const QString fault = LineSequenceHandshakingFault(onRts, handshaking);
        EXPECT_EQ(!fault.isEmpty(), rtsCts) << handshaking;
        if (rtsCts) {
            EXPECT_TRUE(fault.contains(QLatin1String("\"rts=on\""))) << fault.toStdString();
        }
        EXPECT_TRUE(LineSequenceHandshakingFault(onDtr, handshaking).isEmpty()) << handshaking;
    }
}
