#pragma once

// The exit codes of zandor-cli, documented in --help and the README, and the one place
// that turns a protocol outcome into one of them.

#include "protocol/ProtocolEvents.h"

namespace zandor::cli {

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 1;
constexpr int kExitBadInput = 2;        // nothing was sent
constexpr int kExitPortFailed = 3;      // the port cannot be opened
constexpr int kExitNoTarget = 4;        // no identification byte, or a wrong one
constexpr int kExitLoaderFailed = 5;
constexpr int kExitEraseFailed = 6;
constexpr int kExitDownloadFailed = 7;
constexpr int kExitLineFailed = 8;      // the line went away during the operation
constexpr int kExitSomeBoardsFailed = 9;
// A board was programmed (or tried) but its line could not be written to the log, or its
// trace could not be written: no further board was started. Wins over 9, as an unrecorded
// board stops a line.
constexpr int kExitUnrecorded = 10;
constexpr int kExitInterrupted = 130;   // 128 + SIGINT, as shells report it

// The exit code of an operation that ended with `outcome` in `phase`.
int ExitCodeFor(protocol::Phase phase, protocol::Outcome outcome);

// "ok", "failed" or "interrupted": the result word of the log and of the JSON board events,
// for scripts; the exit code says more. (A board whose record was lost is "unrecorded" on
// screen and in the JSON events; a board process that crashed is "crashed" in the log.)
QString ResultWord(int exitCode);
// "ok", "bad input", "port", "no target", "loader", "erase", "download", "line",
// "unrecorded", "interrupted" or "failed": what went wrong, for the summary table.
QString FailureKind(int exitCode);

}  // namespace zandor::cli
