#pragma once

// The serial settings a profile asks of the port, as every front end opens it.

#include "LineSequence.h"
#include "ProfileData.h"
#include "platform/ISerialPort.h"

namespace zandor::profiles {

// Handshaking codes of the serial layer as a stored Boolean arrives there: a stored true
// is handed on as -1, a stored false as 0 (no handshaking).
constexpr int kHandshakingFromTrue = -1;
constexpr int kHandshakingFromFalse = 0;

// The serial settings that opening the port applies, taken from the profile in use.
platform::PortSettings PortSettingsFromProfile(const ProfileData& profile);

// The profile's ResetSequence or RunSequence, checked against the handshaking the port gets.
CheckedLineSequence ProfileLineSequence(const ProfileData& profile, SequenceRole role);

}  // namespace zandor::profiles
