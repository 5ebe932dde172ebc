#pragma once

// Why a step did not end with Done, in the words every front end uses: the command line's
// message and JSON, the doctor, and the window's panel 1 and its tooltip. A front end
// chooses only how the step is named (its framing); the reason itself comes from here.
// "erase: bank 2 refused: Chip Erase Failed : (21 !)",
// "download: record 433 at 00006C00 not acknowledged within 1.0 s".

#include "ProtocolEvents.h"
#include "profiles/ProfileData.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace zandor::protocol {

// How the step is named: the command line names the phase and the record's address
// ("download: record 433 at 00006C00"), the window the record among all ("record 433 of
// 1024"), and the window's tooltip takes a checklist one item a line.
enum class Framing { CommandLine, Window };

// What the run knows beyond the step itself.
struct FailureContext {
    Framing framing = Framing::CommandLine;
    // How long a board was probed for (--wait); the limit of a missing answer is then that
    // time, not the last probe's.
    double probedSeconds = 0;
    // Other programs that have the port open ("cat (pid 4711)"); a missing answer is then
    // more likely read by one of them than never sent.
    QStringList portHolders;
};

// The text for a step that did not end with Done; empty for Done. Without a profile
// (the JSON events' message) the texts leave out what depends on it.
QString FailureText(const StepEndEvent& end, const profiles::ProfileData& profile, const FailureContext& context = {});
QString FailureText(const StepEndEvent& end, const FailureContext& context = {});

// What a board that never answered may lack, most likely first: the board reset into
// bootstrap mode and the cable; the profile's serial format when it is not 8 data bits
// without parity; the baud rate; an adapter that echoes.
QStringList NoBoardChecklist(const profiles::ProfileData& profile);

// What a stopped step had done: "record 160 of 1024: the memory is partly programmed"
// (window), "interrupted after record 160 of 1024 (00012740): the memory is partly
// programmed" (command line).
QString StoppedText(const StepEndEvent& end, Framing framing);

// "C167 (C5h)" or "ST10F168 (D5h)": the chip the profile names and its identification byte.
QString ChipText(const profiles::ProfileData& profile);
// "C5" (the JSON's `chip`) and what the byte means: "a C167 derivative such as the C167CR".
QString ChipByteText(std::uint8_t byte);
// "C5h (a C167 derivative such as the C167CR)": the chip that answered, for a result line
// and the window's tooltip.
QString AnsweredChipText(std::uint8_t byte);

// "00006C00": an address as the messages and the JSON events show it.
QString AddressText(std::uint32_t address);

// For a relative file name: "relative names are looked up in /home/ann" (the current folder);
// empty for an absolute or no name.
QString RelativeNameFolder(const QString& file);
// For a relative name whose file is missing: RelativeNameFolder and what to do about it;
// else empty.
QString RelativeNameAdvice(const QString& file);

}  // namespace zandor::protocol
