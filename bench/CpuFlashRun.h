#pragma once

// What the download benchmarks share: a whole CPU flash run (identification, loader, erase,
// download) of the profile's files, prepared before anything is sent.

#include "protocol/ProgrammingRun.h"

#include <QString>
#include <optional>

namespace zandor::bench {

struct CpuFlashRun {
    protocol::ApplicationLoad load;
    std::optional<protocol::LoaderPackage> loader;
    protocol::ProgrammingJob job;

    // Reads and checks the files; false with `error` when one cannot be sent.
    bool prepare(const profiles::ProfileData& profile, QString* error)
    {
        load = protocol::LoadApplicationImage(profile, profiles::CpuFlashMemory);
        protocol::LoaderPrepareFault loaderFault;
        loader = protocol::PrepareLoader(profile, profiles::CpuFlashMemory, true, &loaderFault);
        if (!load.image || !loader) {
            *error = QStringLiteral("the files cannot be sent: ") + load.fault.text + loaderFault.fault.text;
            return false;
        }
        job.erase = true;
        job.image = &*load.image;
        return true;
    }

    protocol::RunResult run(protocol::Target& target) { return protocol::RunProgramming(target, *loader, job); }
};

}  // namespace zandor::bench
