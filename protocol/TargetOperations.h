#pragma once

// The target protocol: the serial exchange with the C167 bootstrap mode and the loaders.
// Every operation talks only to the Target's port, observer and event pump, reports what
// it does as events and returns a typed outcome.

#include "ApplicationImage.h"
#include "LoaderPackage.h"
#include "Target.h"

#include <QByteArray>
#include <QString>

namespace zandor::protocol {

// --- Serial link and target replies -------------------------------------------------

// Writes head + checksum in one write through the target, so the record's wire time counts
// toward the next wait; checksum = 255 - (sum of head[2..] mod 256). False when the port
// refused the write.
bool SendRecord(Target& target, const QByteArray& head);

// The loader's refusals: "!", "?", "#", "$".
bool IsRefusal(char byte);
bool HoldsRefusal(const QByteArray& bytes);
// A reply acknowledges when its first byte is "*" and none of its bytes is a refusal.
bool IsAcknowledgement(const QByteArray& reply);

enum class AckResult { Acknowledged, TimedOut, Refused, PortFailed };
struct Ack {
    AckResult result = AckResult::TimedOut;
    QByteArray reply;  // everything read, judged whole by IsAcknowledgement
};
// Waits up to limitTicks x 100 ms for a reply and judges what is read then. Any reply but
// an acknowledgement is reported as a ReplyEvent of `phase` before it returns.
Ack WaitForAck(Target& target, int limitTicks, Phase phase);
// The outcome of a step that ends on this acknowledgement wait.
Outcome OutcomeOf(const Ack& ack);
// The text that explains a reply ("Chip Erase Failed : (21 !)", "Communication Error 41 (AB)");
// behind a leading "*" its first refusal explains it ("Checksum Error : (3F *?)").
QString TargetReplyText(const QByteArray& reply);

// --- Bootstrap, loaders, erase, application download, identification ----------------

// How a loader reaches the target.
enum class LoaderStart {
    FirstLoad,  // pre-loader first (right after the bootstrap identification)
    Reload,     // the running loader gets the reload command
};

// Sends the pre-loader (first load) or the reload command, then the loader's two images
// (F600h-F9FFh, then E000h-E7FFh), then waits for "*".
Outcome SendLoader(Target& target, const LoaderPackage& loader);
// The same after preparing the loader of the memory kind from the profile; a file that
// cannot be sent is reported as a fault and a step that ends with Outcome::BadInput.
Outcome SendLoader(Target& target, profiles::MemoryKind memoryKind, LoaderStart start);
// Reports a loader that could not be prepared (its step, the fault, a step end with
// Outcome::BadInput); returns Outcome::BadInput.
Outcome ReportLoaderFault(Target& target, const LoaderPrepareFault& fault);

// Erases the CPU flash (4 banks) or the AMD29F0x0 (8 banks); other kinds: nothing, Done.
Outcome EraseFlash(Target& target, profiles::MemoryKind memoryKind);

// What the download does with a data record whose every byte is FFh.
enum class BlankRecords {
    Send,
    Skip,  // left off the line: the erased flash already holds it (not for the data flash)
};

// Downloads the checked image record by record, each acknowledged before the next. With
// BlankRecords::Skip a memory that is not erased before programming is refused as BadInput
// (a fault event says why) before anything is sent.
Outcome SendApplication(Target& target, const ApplicationImage& image, profiles::MemoryKind memoryKind,
                        BlankRecords blank = BlankRecords::Send);

// Runs the target's reset sequence, sends the zero byte and checks the bootstrap
// identification byte (C5h, D5h for the ST10F168). Done, NoTarget (nothing in time, or the
// port not open), WrongTarget or LineFailed (also: a sequence step the port refused, with a
// fault event naming it); BadInput, with a fault event and nothing sent, for a sequence
// that cannot run; Interrupted when stopped during one of its waits.
Outcome IdentifyBootstrap(Target& target);
// The identification byte the profile's processor answers: C5h, or D5h for the ST10F168.
std::uint8_t ExpectedIdentification(const profiles::ProfileData& profile);
// IdentifyBootstrap, then the pre-loader and loader for `loaderMemoryKind`. Returns the
// identification's outcome, whatever the loader download did (it reports itself); or
// BadInput, with nothing sent, when a pre-loader or loader file is no regular file or too
// large to ever be sent.
Outcome IdentifyTarget(Target& target, profiles::MemoryKind loaderMemoryKind);

}  // namespace zandor::protocol
