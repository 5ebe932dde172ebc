#pragma once

// What went wrong, in one line that names the phase and what was going on:
// "erase: bank 2 refused: Chip Erase Failed : (21 !)",
// "download: record 433 at 00006C00 not acknowledged within 1.0 s".

#include "profiles/ProfileData.h"
#include "protocol/ProtocolEvents.h"

#include <QString>
#include <QStringList>

namespace zandor::cli {

// What the run knows beyond the step itself.
struct FailureContext {
    // How long a board was probed for (--wait); the limit of a missing answer is then that
    // time, not the last probe's.
    double probedSeconds = 0;
    QString expectedChip;  // "C167 (C5h)": what the profile's processor answers
};

// The line for a step that did not end with Done. `portHolders`: other programs that have
// the port open ("cat (pid 4711)"); a missing answer is then more likely read by one of
// them than never sent.
QString FailureText(const protocol::StepEndEvent& end, const FailureContext& context = {},
                    const QStringList& portHolders = {});

// "C167 (C5h)" or "ST10F168 (D5h)": the chip the profile names and its identification byte.
QString ChipText(const profiles::ProfileData& profile);

// "00006C00": an address as the messages and the JSON events show it.
QString AddressText(std::uint32_t address);

}  // namespace zandor::cli
