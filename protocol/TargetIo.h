#pragma once

// Helpers shared by the protocol operations: counted writes and the reply wait. Not used
// outside the protocol.

#include "Target.h"

#include <QByteArray>
#include <optional>

namespace zandor::protocol {

// Writes through the target's port and adds the bytes to target.bytesSinceWait, so the
// next wait allows for their time on the wire. False when the port refused the write.
bool WriteToTarget(Target& target, const QByteArray& bytes);

// Time the given number of bytes take on the wire at the profile's baud rate, whole
// milliseconds rounded up.
qint64 WireMilliseconds(const profiles::ProfileData& profile, qint64 bytes);

enum class ReplyWait { BytesPending, TimedOut, PortFailed };
// Sets the target's reply deadline to the limit plus the wire time of what was written
// since the last wait, and sleeps in the event loop until received bytes are pending, the
// deadline has passed, or the port has failed. A limit of 0 only looks at what is pending
// already.
ReplyWait WaitForReplyBytes(Target& target, int limitTicks);

// Before a bank or record command goes out: bytes pending now came after the last judged
// reply and are late parts of it. A refusal among them ends the step at the bank or record
// it answered (target.lastAnswered, refused, after its ReplyEvent); anything else is
// dropped, read so that a trace shows it. Nothing when no refusal is pending, or no bank
// or record has been answered yet (the bytes are then stale, as at the start of a command).
std::optional<StepEndEvent> TakeLateRefusal(Target& target);

// After the last bank or record of a step: listens for the rest of its reply (the wire time
// of kLateReplyBytes plus kLateReplyGraceMs) and judges what came as TakeLateRefusal does,
// ending at once on a refusal.
std::optional<StepEndEvent> DrainLateRefusal(Target& target);

// The outcome of a write the port refused: the line went away, or it was never open.
Outcome WriteFailure(const Target& target);

}  // namespace zandor::protocol
