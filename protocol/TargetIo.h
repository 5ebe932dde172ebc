#pragma once

// Helpers shared by the protocol operations: counted writes, the reply wait, file reading
// and the texts of file faults. Not used outside the protocol.

#include "Target.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace zandor::protocol {

// Writes through the target's port and adds the bytes to target.bytesSinceWait, so the
// next wait allows for their time on the wire. False when the port refused the write.
bool WriteToTarget(Target& target, const QByteArray& bytes);

// Time the given number of bytes take on the wire at the profile's baud rate, whole
// milliseconds rounded up.
qint64 WireMilliseconds(const profiles::ProfileData& profile, qint64 bytes);

enum class ReplyWait { BytesPending, TimedOut, PortFailed };
// Sets TimeoutTicks to the limit and sleeps in the event loop until received bytes are
// pending, the limit (plus the wire time of what was written since the last wait) is
// over, or the port has failed. A limit of 0 only looks at what is pending already.
ReplyWait WaitForReplyBytes(Target& target, int limitTicks);

// The whole file, or false with `fault` saying why it cannot be read.
bool ReadWholeFile(const QString& path, QByteArray* bytes, QString* fault);
// At most `maxBytes` from the file's start (all of it when `maxBytes` is negative).
bool ReadFileStart(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* fault);

// GetFileType of the file's first bytes; nothing when the file cannot be read.
std::optional<int> GetFileTypeOfFile(const QString& path, QString* fault);

// "Error in <file>, line <n>: <fault>".
QString LineFaultText(const QString& file, int line, const QString& fault);
// "Cannot read <file>: <reason>".
QString FileFaultText(const QString& file, const QString& reason);
// Shows a file fault in one box with the exclamation icon.
void ShowFault(Target& target, const QString& text);

// Appends a suffix (", Done" / ", Error") to the status text as it stands.
void AppendStatus(Target& target, const QString& suffix);
// Ends a step that waited for the target: ", Done" when it acknowledged; otherwise the
// not-responding box, then ", Error". Returns `acknowledged`.
bool FinishAcknowledgedStep(Target& target, bool acknowledged);
inline const QString kDoneSuffix = QStringLiteral(", Done");
inline const QString kErrorSuffix = QStringLiteral(", Error");

}  // namespace zandor::protocol
