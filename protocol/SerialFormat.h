#pragma once

// What the bootstrap loader needs of the line format. It measures the baud rate from the
// zero byte as 8 data bits without parity (the stop bits do not matter): a profile set to
// 7 data bits or a parity sends a zero byte of another length, and the rate it measures
// is wrong. Pure functions over the profile's settings string ("38400,N,8,1").

#include "profiles/ProfileData.h"

#include <QString>

namespace zandor::protocol {

// The profile's baud rate, or kFallbackBaudRate when its settings name no usable one.
int BaudRateOf(const profiles::ProfileData& profile);

// Empty when the profile's format is 8 data bits without parity; else what it is:
// "7 data bits, parity E, not 8 data bits without parity".
QString SerialFormatProblem(const profiles::ProfileData& profile);

// The fix for a SerialFormatProblem, as every front end words it.
inline const QString kSerialFormatFix =
    QStringLiteral("set 8 data bits and no parity (38400,N,8,1 for instance) in the profile manager "
                   "(File, Properties...): the bootstrap loader measures the baud rate from a zero byte of 8 "
                   "data bits");

}  // namespace zandor::protocol
