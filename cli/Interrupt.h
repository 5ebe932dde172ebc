#pragma once

// Ctrl-C, and the board processes of a gang run that it reaches: every signal and child
// process of the command line is handled here. The first Ctrl-C asks the run to stop where
// the board stands (after the current record or bank, or between boards); the second ends
// the program at once. Both exit 130.

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
bool InterruptRequested();
// While a progress line stands without its line end, a second Ctrl-C ends it first, so the
// shell's prompt starts on a line of its own.
void SetProgressLineOpen(bool open);
// Starts a board process of a gang run (this program again, with `arguments`) in a process
// group of its own, so the terminal's Ctrl-C reaches it once, through ForwardInterruptsTo;
// it ends with this process too, so no orphan holds a port. False when it did not start.
bool StartBoardProcess(QProcess& process, const QStringList& arguments);
// A process that gets every Ctrl-C the program gets, however many there are.
void ForwardInterruptsTo(long processId);

}  // namespace zandor::cli
