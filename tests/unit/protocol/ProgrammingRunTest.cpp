#include "ProtocolFixture.h"

#include "protocol/ProgrammingRun.h"

namespace {

// A board that answers the zero byte with `identification`, an erase command (once its line
// feed is written) with `eraseReply`, and every other write with "*".
void AnswerAsBoard(FakeSerialPort& port, char identification, const QByteArray& eraseReply)
{
    port.setResponder([=](const QByteArray& bytes, FakeSerialPort& p) {
        if (bytes == QByteArray(1, '\0'))
            p.queueReceived(QByteArray(1, identification));
        else if (bytes == "\n")
            p.queueReceived(eraseReply);
        else if (!bytes.startsWith(kEraseCommandHead))
            p.queueReceived("*");
    });
}

}  // namespace

class ProgrammingRunTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        writeFile("Appl.bin", QByteArray(128, 'a'));  // two records
        profile.C167ApplFile = "Appl.bin";
        image = LoadApplicationImage(profile, profiles::CpuFlashMemory).image;
        ASSERT_TRUE(image);
        loader.preLoader = QByteArray(32, 'p');
        loader.images = {QByteArray(1024, '\x01'), QByteArray(2048, '\x02')};
    }

    LoaderPackage loader;
    std::optional<ApplicationImage> image;
};

TEST_F(ProgrammingRunTest, RunsTheStepsInOrderAndEndsAtAFailureOrAStopBetweenSteps)
{
    using P = Phase;
    enum Stop { Never, Always, OnceErased };
    struct Case {
        const char* name;
        bool identify, erase, program;
        char identification;
        QByteArray eraseReply;
        Stop stop;
        RunEnd end;
        Outcome outcome;
        QList<Phase> steps;  // the phases whose end was reported, in order
    };
    const Case cases[] = {
        {"loader only", true, false, false, '\xC5', "*", Never, RunEnd::Completed, Outcome::Done, {P::Identify, P::Loader}},
        {"whole run", true, true, true, '\xC5', "*", Never, RunEnd::Completed, Outcome::Done,
         {P::Identify, P::Loader, P::Erase, P::Download}},
        {"board found by probing", false, true, true, '\xC5', "*", Never, RunEnd::Completed, Outcome::Done,
         {P::Loader, P::Erase, P::Download}},
        {"erase only", true, true, false, '\xC5', "*", Never, RunEnd::Completed, Outcome::Done,
         {P::Identify, P::Loader, P::Erase}},
        {"no step after the loader to stop before", true, false, false, '\xC5', "*", Always, RunEnd::Completed,
         Outcome::Done, {P::Identify, P::Loader}},
        {"stop before the erase", true, true, true, '\xC5', "*", Always, RunEnd::StoppedAfterLoader, Outcome::Done,
         {P::Identify, P::Loader}},
        {"stop before the download", true, true, true, '\xC5', "*", OnceErased, RunEnd::StoppedAfterErase,
         Outcome::Done, {P::Identify, P::Loader, P::Erase}},
        {"no step after the erase to stop before", true, true, false, '\xC5', "*", OnceErased, RunEnd::Completed,
         Outcome::Done, {P::Identify, P::Loader, P::Erase}},
        {"wrong processor", true, true, true, '\xD5', "*", Never, RunEnd::StepFailed, Outcome::WrongTarget,
         {P::Identify}},
        {"erase refused", true, true, true, '\xC5', "!", Never, RunEnd::StepFailed, Outcome::Refused,
         {P::Identify, P::Loader, P::Erase}},
    };
    for (const Case& c : cases) {
        AnswerAsBoard(port, c.identification, c.eraseReply);
        view.ends.clear();
        target.stopRequested = [this, stop = c.stop] {
            return stop == Always || (stop == OnceErased && !view.ends.isEmpty() && view.ends.last().phase == Phase::Erase);
        };
        ProgrammingJob job;
        job.identify = c.identify;
        job.erase = c.erase;
        job.image = c.program ? &*image : nullptr;

        const RunResult result = RunProgramming(target, loader, job);
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.phase, c.steps.last()) << c.name;
        QList<Phase> steps;
        for (const StepEndEvent& end : view.ends)
            steps << end.phase;
        EXPECT_EQ(steps, c.steps) << c.name;
    }
}
