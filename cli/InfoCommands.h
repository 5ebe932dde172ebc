#pragma once

// The commands that need no board: check, profiles, profiles show, ports, doctor. Their
// results go to standard output.

#include "CliOptions.h"

namespace zandor::cli {

int RunCheck(const CliOptions& options);
int RunProfiles(const CliOptions& options);
int RunPorts(const CliOptions& options);
int RunDoctor(const CliOptions& options);

}  // namespace zandor::cli
