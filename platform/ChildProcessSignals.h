#pragma once

// Signals between a front end and the processes it starts: the interrupt a terminal's
// Ctrl-C would send, and a child that ends when its parent does.

#include <QtGlobal>

namespace zandor::platform {

// Sends the process SIGINT, as a Ctrl-C on its terminal would. False when it is gone.
bool InterruptProcess(qint64 processId);

// For QProcess::setChildProcessModifier: the child gets SIGTERM when the process that
// started it ends, so a crashed front end leaves no program holding a serial port.
void EndWithParentProcess();

}  // namespace zandor::platform
