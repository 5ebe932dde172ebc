#pragma once

#include "ProfileData.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace zandor::profiles {

// The 34 stored keys of a profile, in the order they are read and written.
QStringList ProfileKeyNames();

// The stored text of the field behind `key` (any letter case); empty for an unknown key.
QString ProfileFieldText(const ProfileData& record, const QString& key);

// Text forms of the store. Integers are plain decimal; Booleans are written "True" or
// "False" and read from those words in any letter case or from a decimal number
// (0 false, anything else true).
QString BoolToText(bool value);
std::optional<bool> BoolFromText(const QString& text);
// A decimal integer within [minimum, maximum]; blanks around it are allowed.
std::optional<std::int64_t> IntegerFromText(const QString& text, std::int64_t minimum,
                                            std::int64_t maximum);

}  // namespace zandor::profiles
