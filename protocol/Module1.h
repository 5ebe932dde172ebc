#pragma once

// The target protocol: the serial exchange with the C167 bootstrap mode and the loaders.
// Every operation talks only to the Target's port, reporter and event pump.

#include "Target.h"

#include <QByteArray>
#include <QString>

namespace zandor::protocol {

// --- Serial link and target replies -------------------------------------------------

// Writes the file's bytes unchanged in one write. False (after a message box that names
// the file) when the file is missing or unreadable.
bool SendFile(Target& target, const QString& path);
// Writes head + checksum in one write; checksum = 255 - (sum of head[2..] mod 256).
void SendRecord(platform::ISerialPort& port, const QByteArray& head);
// The same through the target, so the record's wire time counts toward the next wait.
// False when the port refused the write.
bool SendRecord(Target& target, const QByteArray& head);
// Waits up to limitTicks x 100 ms for a reply; true when its first byte is "*".
// Any other reply is explained with ShowTargetReply. Nothing pending: false, no box.
bool WaitForAck(Target& target, int limitTicks);
// The text that explains a reply ("Chip Erase Failed : (21 !)", "Communication Error 41 (AB)").
QString TargetReplyText(const QByteArray& reply);
void ShowTargetReply(IReporter& report, const QByteArray& reply);

// --- Bootstrap, loaders, erase, application download, identification ----------------

constexpr int kFirstLoad = 1;  // pre-loader first (right after the bootstrap identification)
constexpr int kReload = 2;     // running loader gets the reload command

// Sends the pre-loader (first load) or the reload command, then the loader of the memory
// kind as two images (F600h-F9FFh, then E000h-E7FFh), then waits for "*".
// True when the new loader acknowledged. Failures are reported through target.report.
bool SendLoader(Target& target, int memoryKind, int firstLoadFlag);
// Erases the CPU flash (4 banks) or the AMD29F0x0 (8 banks); other kinds: nothing, true.
bool EraseFlash(Target& target, int memoryKind);
// Checks the memory kind's application file whole before anything is erased: every
// S-record line well formed with a right checksum, or a binary file's offset converts.
// False after one message box that names the file, line and fault.
bool CheckApplicationFile(Target& target, int memoryKind);
// Downloads the application file of the memory kind record by record.
bool SendApplication(Target& target, int memoryKind);
// Sends the zero byte, checks the bootstrap identification byte (C5h, D5h for the
// ST10F168) and then brings up pre-loader and loader for `loaderMemoryKind`.
// True when the identification byte was right, whatever the loader download did.
bool IdentifyTarget(Target& target, int loaderMemoryKind);

}  // namespace zandor::protocol
