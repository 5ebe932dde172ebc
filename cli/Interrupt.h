#pragma once

// Ctrl-C, a dropped session, and the board processes of a gang run that they reach: every
// signal and child process of the command line is handled here.
//
// The first Ctrl-C (or SIGTERM) asks the run to stop where the board stands (after the
// current record or bank, or between boards); the second ends the program at once. Both
// exit 130.
//
// A hang-up (SIGHUP: the terminal or ssh session closed; standard output or error whose
// reader went away, as behind `| head`; the death of a gang board's parent) must not leave
// a half-programmed board: the board being programmed is finished and recorded, output to
// the lost stream stops, and no further board starts. A second hang-up counts as a Ctrl-C.
// Nothing dies writing to a closed pipe (SIGPIPE is ignored), and a file size limit gives
// a short write, not a dead process (SIGXFSZ is ignored).

#include <QByteArray>
#include <QStringList>

class QProcess;

namespace zandor::cli {

void InstallInterruptHandler();
// What a Ctrl-C says: `notice` to standard error at the first (may be empty); `lastWords` at
// the second, just before the end: on standard error, or with `json` on standard output as
// the result line, whose text ends before `,"seconds":...}` (added with the time since the
// handler was installed).
void SetInterruptTexts(const QByteArray& notice, const QByteArray& lastWords, bool json);
// Stop after the current record or bank.
bool InterruptRequested();
// The session was dropped: finish the current board, start no other.
bool HangUpRequested();
// Either: no further board starts.
bool NoFurtherBoard();
// While a progress line stands without its line end, a second Ctrl-C ends it first, so the
// shell's prompt starts on a line of its own.
void SetProgressLineOpen(bool open);
// Writes all of `bytes` to standard output or error (`fd`). A stream whose reader has gone
// (a closed pipe, a hung-up terminal) is written no more, and its loss is a hang-up.
void WriteToOutput(int fd, const QByteArray& bytes);
// Starts a board process of a gang run (this program again, with `arguments`) in a process
// group of its own, so the terminal's Ctrl-C reaches it once, through ForwardInterruptsTo;
// this process's death is a hang-up to it. False when it did not start.
bool StartBoardProcess(QProcess& process, const QStringList& arguments);
// A process that gets every Ctrl-C and hang-up the program gets, however many there are.
void ForwardInterruptsTo(long processId);

}  // namespace zandor::cli
