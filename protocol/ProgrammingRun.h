#pragma once

// One programming run on one board: identification, the pre-loader and loader, the erase
// and the download, in this order, with a stop check between the steps. The steps report
// themselves through the target's observer; the run says where it ended.

#include "TargetOperations.h"

#include <functional>

namespace zandor::protocol {

struct ProgrammingJob {
    profiles::MemoryKind memoryKind = profiles::CpuFlashMemory;
    // False when the caller has already heard the identification byte (a front end that
    // probes for the board): the run starts with the pre-loader.
    bool identify = true;
    bool erase = false;
    const ApplicationImage* image = nullptr;  // downloaded after the erase when set
    // Blank data records stay off the line. Refused for the data flash before anything is
    // sent, whatever the front end checked.
    BlankRecords blank = BlankRecords::Send;
    // Asked once the loader has answered, before the erase, when an image is downloaded:
    // the image this board gets instead (its own serial number written in), or a refusal
    // that ends the run there with nothing erased. Unset: `image` as it is.
    struct ImageChoice {
        const ApplicationImage* image = nullptr;
        QString refusal;  // not empty: this board gets nothing
    };
    std::function<ImageChoice()> beforeErase;
};

// Where a run ended.
enum class RunEnd {
    Completed,        // every step of the job was done
    StepFailed,          // `phase` ended with `outcome`; its step end event says where
    StoppedAfterLoader,  // a stop was asked for once the loader ran: nothing was erased
    StoppedAfterErase,   // a stop was asked for once the erase ended: nothing was programmed
    RefusedBeforeErase,  // the job's beforeErase refused the board: nothing was erased
};

struct RunResult {
    RunEnd end = RunEnd::Completed;
    Phase phase = Phase::Identify;  // the last step begun
    Outcome outcome = Outcome::Done;
    QString refusal;  // RefusedBeforeErase: why
};

// The loader is prepared before the run, so that a bad file sends nothing.
RunResult RunProgramming(Target& target, const LoaderPackage& loader, const ProgrammingJob& job);

}  // namespace zandor::protocol
