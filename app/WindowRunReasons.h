#pragma once

// What panel 1 and its tooltip say about a step that did not end with Done: the reason of
// a file fault with the folder a relative name was looked up in, what a stopped run had
// done, and a short reason for a target that failed. The file fault's own words come from
// the protocol (the same texts as the command line's); these only add the window's context.

#include "protocol/ProtocolEvents.h"

#include <QString>

namespace zandor::app {

// `faultText` as the protocol words it ("Cannot read Appl.sre: the file does not exist."),
// and for a relative `file` the folder it was looked up in:
// "Cannot read Appl.sre: the file does not exist (relative names are looked up in /home/ann)."
QString FileFaultWithFolder(const QString& faultText, const QString& file);

// What a stopped step had done: "record 160 of 1024: the memory is partly programmed",
// "bank 2: the memory is partly erased".
QString StoppedRunText(const protocol::StepEndEvent& end);

// Why a step failed, for the tooltip: the target's reply explained, or how long it stayed
// silent. Empty for Done, a file fault (its own text says more) and a stop.
QString StepFailureText(const protocol::StepEndEvent& end);

}  // namespace zandor::app
