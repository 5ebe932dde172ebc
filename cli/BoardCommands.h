#pragma once

// identify, erase and program: on one port, board after board (--loop), or on several ports
// at once (a gang run, one board process per port).

#include "CliOptions.h"
#include "ConsoleReporter.h"

namespace zandor::cli {

int RunBoardCommand(const CliOptions& options);

}  // namespace zandor::cli
