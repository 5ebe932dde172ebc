#pragma once

#include "ProfileData.h"
#include "platform/ISettingsStore.h"

#include <QString>
#include <functional>

namespace zandor::profiles {

inline const QString kProfilesSection = QStringLiteral("Profiles");
using platform::kGeneralSection;
inline const QString kDefaultProfileName = QStringLiteral("Default");
inline const QString kProfileLastUsedKey = QStringLiteral("ProfileLastUsed");

// "Profiles" and "General" (any letter case) are the store's own sections: a profile of
// that name would overwrite them.
bool IsReservedProfileName(const QString& name);

// The four profile operations over the settings store. Nothing is cached: every call
// reads or writes the store directly.
class ProfileStore {
public:
    // Shows "The Profile '<name>' is not a valid Profile!" (the main window captions it).
    using WarningSink = std::function<void(const QString& text)>;

    explicit ProfileStore(platform::ISettingsStore& settings, WarningSink warn = {});

    void setWarningSink(WarningSink warn);
    platform::ISettingsStore& settings() { return settings_; }

    void EnsureDefaultProfile();
    void NewProfile(const QString& name);
    // Fills `record` from the section `name`; a missing or broken numeric/Boolean key
    // takes the Default table's value. Never throws.
    void LoadProfile(const QString& name, ProfileData& record);
    void SaveProfile(const QString& name, const ProfileData& record);

private:
    platform::ISettingsStore& settings_;
    WarningSink warn_;
};

}  // namespace zandor::profiles
