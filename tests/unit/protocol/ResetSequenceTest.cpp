#include "ProtocolFixture.h"
#include "support/RecordingModemLines.h"

namespace {

// A board on the fake port that answers the zero byte with C5h; what the pump's clock said
// when each zero byte went out.
class ResetSequenceTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        port.setModemLines(&lines);
        port.setResponder([this](const QByteArray& bytes, FakeSerialPort& p) {
            if (bytes == QByteArray(1, '\0')) {
                zeroBytesAt << pump.nowMilliseconds();
                p.queueReceived(Bytes({0xC5}));
            }
        });
    }
    void useSequence(const QString& text)
    {
        profile.ResetSequence = text;
        target.resetSequence = profiles::ProfileLineSequence(profile, profiles::SequenceRole::Reset);
    }
    QString faultTexts() const
    {
        QStringList texts;
        for (const auto& box : report.boxes)
            texts << box.text;
        return texts.join(QLatin1Char('|'));
    }

    RecordingModemLines lines{pump};  // the pump's clock starts at 1000 ms
    QList<qint64> zeroBytesAt;
};

}  // namespace

TEST_F(ResetSequenceTest, TheSequenceRunsBeforeEveryZeroByteAndABytePulledOutOfResetIsNoAnswer)
{
    useSequence(QStringLiteral("dtr=on rts=on wait=50 rts=off wait=100"));
    // A board leaving reset may put a stray byte on the line; it must not pass for the answer.
    pump.onWait = [this](qint64) { port.queueReceived(Bytes({0x00})); };
    EXPECT_EQ(IdentifyBootstrap(target), Outcome::Done);
    pump.onWait = nullptr;
    EXPECT_EQ(lines.changes, QStringList({"1000 dtr=1", "1000 rts=1", "1050 rts=0"}));
    ASSERT_EQ(zeroBytesAt.size(), 1);
    EXPECT_EQ(zeroBytesAt.at(0), 1150);  // after the last wait, not during it

    // Each probe resets the board again.
    lines.changes.clear();
    EXPECT_EQ(IdentifyBootstrap(target), Outcome::Done);
    EXPECT_EQ(lines.changes.size(), 3);
    EXPECT_EQ(zeroBytesAt.size(), 2);
    EXPECT_TRUE(report.boxes.isEmpty()) << faultTexts().toStdString();
}

TEST_F(ResetSequenceTest, ASequenceThatCannotRunEndsTheIdentificationBeforeTheZeroByte)
{
    struct Case {
        const char* sequence;
        const char* refusedLine;  // the port cannot set this line
        bool withLines;           // the port offers modem lines at all
        Outcome outcome;
        const char* faultNames;   // the fault names the step or the cause
        int changesBefore;        // lines set before the sequence stopped
    };
    const Case cases[] = {
        {"dtr=on rts=up wait=50", "", true, Outcome::BadInput, "\"rts=up\"", 0},
        {"dtr=on rts=on wait=50 rts=off", "rts", true, Outcome::LineFailed, "\"rts=on\"", 1},
        {"dtr=on", "", false, Outcome::LineFailed, "no modem lines", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sequence);
        lines.changes.clear();
        lines.refused = QLatin1String(c.refusedLine);
        port.setModemLines(c.withLines ? &lines : nullptr);
        report.boxes.clear();
        port.clearWrites();
        useSequence(QLatin1String(c.sequence));
        view.ends.clear();
        EXPECT_EQ(IdentifyBootstrap(target), c.outcome);
        EXPECT_TRUE(port.writes().isEmpty());
        EXPECT_EQ(lines.changes.size(), c.changesBefore);
        ASSERT_EQ(report.boxes.size(), 1);
        EXPECT_TRUE(report.boxes.at(0).text.contains(QLatin1String(c.faultNames))) << faultTexts().toStdString();
        EXPECT_TRUE(report.boxes.at(0).text.contains(QLatin1String("reset sequence"))) << faultTexts().toStdString();
        ASSERT_EQ(view.ends.size(), 1);
        EXPECT_EQ(view.ends.at(0).outcome, c.outcome);
    }
}

TEST_F(ResetSequenceTest, AStopDuringTheResetPulseSendsNothing)
{
    useSequence(QStringLiteral("rts=on wait=5000 rts=off"));
    target.stopRequested = [this] { return pump.nowMilliseconds() >= 2000; };
    EXPECT_EQ(IdentifyBootstrap(target), Outcome::Interrupted);
    EXPECT_TRUE(port.writes().isEmpty());
    EXPECT_EQ(lines.changes, QStringList({"1000 rts=1"}));
}

TEST_F(ResetSequenceTest, WithoutASequenceTheLinesAreLeftAloneAndAClosedPortFailsAsEver)
{
    EXPECT_EQ(IdentifyBootstrap(target), Outcome::Done);
    EXPECT_TRUE(lines.changes.isEmpty());
    useSequence(QStringLiteral("dtr=on"));
    port.setOpen(false);
    EXPECT_EQ(IdentifyBootstrap(target), Outcome::NoTarget);
    EXPECT_TRUE(lines.changes.isEmpty());
    EXPECT_TRUE(report.boxes.isEmpty()) << faultTexts().toStdString();
}

TEST(ProfileLineSequence, TheProfileKeysTheTextAndPortSettingsKeepTheLinesOnlyWithASequence)
{
    profiles::ProfileData profile;
    EXPECT_FALSE(profiles::PortSettingsFromProfile(profile).keepLinesAtClose);
    profile.RunSequence = QStringLiteral("  ");
    EXPECT_FALSE(profiles::PortSettingsFromProfile(profile).keepLinesAtClose);
    profile.RunSequence = QStringLiteral("rts=on wait=5 RTS=off");
    EXPECT_TRUE(profiles::PortSettingsFromProfile(profile).keepLinesAtClose);
    const auto run = profiles::ProfileLineSequence(profile, profiles::SequenceRole::Run);
    EXPECT_TRUE(run.fault.isEmpty());
    EXPECT_EQ(profiles::LineSequenceText(run.steps), QStringLiteral("rts=on wait=5 rts=off"));
    EXPECT_TRUE(profiles::ProfileLineSequence(profile, profiles::SequenceRole::Reset).steps.isEmpty());
    profile.RunSequence.clear();
    profile.ResetSequence = QStringLiteral("dtr=on");
    EXPECT_TRUE(profiles::PortSettingsFromProfile(profile).keepLinesAtClose);
}
