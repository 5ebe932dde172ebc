#pragma once

#include <QString>

namespace zandor::platform {

// The last numbered copy BackUpIniFile may make: "<file>.bak.9".
inline constexpr int kMaxIniBackupNumber = 9;

// Keeps the present contents of a settings file beside it before the program replaces a
// file it could not read faithfully (see IniFileEncoding.h and QtSettingsStore).
//
// The copy goes to "<file>.bak" (Zandor.ini.bak). When that name already holds different
// contents, an earlier original the user may still need, the copy goes to "<file>.bak.1",
// then ".bak.2" and so on up to kMaxIniBackupNumber: no earlier copy is ever overwritten.
// A name that already holds exactly these contents is taken as the copy, so a broken file
// opened in several runs leaves one copy, not one per run.
//
// Returns the copy's path. When no copy can be made, returns an empty string and sets
// `error` to what failed and what the user can do about it.
QString BackUpIniFile(const QString& iniPath, QString* error);

}  // namespace zandor::platform
