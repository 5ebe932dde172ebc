#pragma once

#include <QString>

namespace zandor::platform {

// QSettings treats '/' and '\' in a group or key name as a path separator and folds
// them away, so a profile named "A/B" would become a nested group. Section and key
// names therefore pass through this small reversible escape before they reach
// QSettings: '%' -> "%25", '/' -> "%2F", '\' -> "%5C", and the empty name -> "%".
// Every other character is left alone (QSettings escapes the rest in the INI file
// itself), so names made of letters, digits, '_', '.' and '-' stay readable.
QString EncodeSettingsName(const QString& name);
// The inverse. A '%' that starts none of the sequences above (a hand-edited file)
// is kept as it is.
QString DecodeSettingsName(const QString& stored);

}  // namespace zandor::platform
