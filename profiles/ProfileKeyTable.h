#pragma once

#include "ProfileData.h"

#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

namespace zandor::profiles {

// One stored key of a profile and the field it holds, by the field's type.
struct ProfileKey {
    using TextField = QString& (*)(ProfileData&);
    using BoolField = bool& (*)(ProfileData&);
    using Int16Field = std::int16_t& (*)(ProfileData&);
    using Int32Field = std::int32_t& (*)(ProfileData&);
    using UInt8Field = std::uint8_t& (*)(ProfileData&);

    const char* name;
    std::variant<TextField, BoolField, Int16Field, Int32Field, UInt8Field> field;
};

// The 34 keys in their stored order.
const std::vector<ProfileKey>& ProfileKeyTable();

// The field's stored text.
QString FieldToText(const ProfileKey& key, const ProfileData& record);
// Stores `text` converted to the field's type; false (field unchanged) when the text is
// no valid form of that type or is out of the field's range.
bool FieldFromText(const ProfileKey& key, ProfileData& record, const QString& text);

}  // namespace zandor::profiles
