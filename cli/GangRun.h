#pragma once

// Several boards at once: the same checked image into every board, each port in a board
// process of its own running the ordinary one-board code, so that a hung or crashed board
// cannot stop the others. The board processes report in JSON lines, which this process
// shows as one live line per port (or passes on, each event with its "port"), then sums up.

#include "BoardSession.h"
#include "CliOptions.h"
#include "ConsoleReporter.h"

#include <QStringList>

namespace zandor::cli {

// `devices`: what each port of options.ports opens, for the line of a board whose process
// crashed.
int RunGang(const CliOptions& options, const BoardJob& job, const QStringList& devices, ConsoleReporter& reporter);

// The arguments of the board process for one port: the arguments this run was given (its
// ports and trace left out), that port only, JSON output, its own trace file and the
// digest of the image it must still build.
QStringList BoardProcessArguments(const CliOptions& options, const QString& port, const QString& imageDigest);

}  // namespace zandor::cli
