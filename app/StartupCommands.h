#pragma once

// The start-up routines of the main window that need no widgets: the command line, the
// serial settings taken from a profile, the caption and the version text.

#include "platform/ISerialPort.h"
#include "profiles/ProfileData.h"

#include <QString>

namespace zandor::app {

// Splits the command line at every "/" and takes each piece whose first character is "P"
// (either case) as the profile to use: the rest of the piece, trimmed, becomes
// `profile.Name`. The last such piece wins; other pieces are ignored.
void ParseCommandLine(const QString& commandLine, profiles::ProfileData& profile);

// Closes the port if it is open, then applies the profile's serial settings and opens it.
// False (the port closed, `reason` saying why) when the device is missing or busy or a
// setting is refused.
bool OpenCommPort(platform::ISerialPort& comm, const profiles::ProfileData& profile,
                  QString* reason = nullptr);
void CloseCommPort(platform::ISerialPort& comm);

// "Varnex Controller Programming Tool using '<name>'".
QString CaptionForProfile(const QString& profileName);
// "V<major>.<minor>, Build <revision>" of this build.
QString VersionText();

// The box shown when the port cannot be opened with the profile's settings.
inline const QString kCommPortErrorText = QStringLiteral(
    "Comm port error.\nPlease choose another COMM Port\nin the Profile..., Properties menu");

}  // namespace zandor::app
