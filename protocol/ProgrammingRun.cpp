#include "ProgrammingRun.h"

#include "BlankRecords.h"

namespace zandor::protocol {

RunResult RunProgramming(Target& target, const LoaderPackage& loader, const ProgrammingJob& job)
{
    RunResult result;
    // A step failed: the run ends there.
    auto failed = [&result](Phase phase, Outcome outcome) {
        result.phase = phase;
        result.outcome = outcome;
        if (outcome != Outcome::Done)
            result.end = RunEnd::StepFailed;
        return outcome != Outcome::Done;
    };

    // A download that would refuse its job refuses it now, before a byte goes out.
    if (job.image && job.blank == BlankRecords::Skip && !MemoryTakesBlankSkipping(job.memoryKind)) {
        failed(Phase::Download, SendApplication(target, *job.image, job.memoryKind, job.blank));
        return result;
    }
    if (job.identify && failed(Phase::Identify, IdentifyBootstrap(target)))
        return result;
    if (failed(Phase::Loader, SendLoader(target, loader)))
        return result;

    // Between steps only when one follows: a stop asked for during the last step is late.
    const ApplicationImage* image = job.image;
    if (image && job.beforeErase) {
        if (target.shouldStop()) {
            result.end = RunEnd::StoppedAfterLoader;
            return result;
        }
        const ProgrammingJob::ImageChoice choice = job.beforeErase();
        if (!choice.refusal.isEmpty() || !choice.image) {
            result.end = RunEnd::RefusedBeforeErase;
            result.refusal = choice.refusal;
            return result;
        }
        image = choice.image;
    }
    if (job.erase) {
        if (target.shouldStop()) {
            result.end = RunEnd::StoppedAfterLoader;
            return result;
        }
        if (failed(Phase::Erase, EraseFlash(target, job.memoryKind)))
            return result;
    }
    if (image) {
        if (target.shouldStop()) {
            result.end = job.erase ? RunEnd::StoppedAfterErase : RunEnd::StoppedAfterLoader;
            return result;
        }
        failed(Phase::Download, SendApplication(target, *image, job.memoryKind, job.blank));
    }
    return result;
}

}  // namespace zandor::protocol
