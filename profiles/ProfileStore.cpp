#include "ProfileStore.h"

#include "ProfileKeyTable.h"

namespace zandor::profiles {

using platform::SameName;

namespace {

// Read defaults that stand for "no such key"; compared without regard to letter case,
// so a profile really named "NoProfile" still counts as unregistered.
const QString kNoDefault = QStringLiteral("NoDefault");
const QString kNoProfile = QStringLiteral("NoProfile");

}  // namespace

bool IsReservedProfileName(const QString& name)
{
    return SameName(name, kProfilesSection) || SameName(name, kGeneralSection);
}

ProfileStore::ProfileStore(platform::ISettingsStore& settings, WarningSink warn)
    : settings_(settings), warn_(std::move(warn))
{
}

void ProfileStore::setWarningSink(WarningSink warn) { warn_ = std::move(warn); }

void ProfileStore::EnsureDefaultProfile()
{
    const QString registered =
        settings_.readKey(kProfilesSection, kDefaultProfileName, kNoDefault);
    if (!SameName(registered, kNoDefault))
        return;  // registered: the section itself is left as it is
    settings_.writeKey(kProfilesSection, kDefaultProfileName, kDefaultProfileName);
    SaveProfile(kDefaultProfileName, DefaultProfileData());
}

void ProfileStore::NewProfile(const QString& name)
{
    if (IsReservedProfileName(name))
        return;  // the store's own sections are never a profile's
    settings_.writeKey(kProfilesSection, name, name);
    const platform::KeyValueList defaults = settings_.readSection(kDefaultProfileName);
    if (defaults.isEmpty()) {
        // "Default" was removed outside the program: start the profile from the
        // built-in values instead of leaving it without any keys.
        SaveProfile(name, DefaultProfileData());
        return;
    }
    settings_.writeKeys(name, defaults);
}

void ProfileStore::LoadProfile(const QString& name, ProfileData& record)
{
    const QString registered = settings_.readKey(kProfilesSection, name, kNoProfile);
    if (SameName(registered, kNoProfile) && warn_)
        warn_(QStringLiteral("The Profile '%1' is not a valid Profile!").arg(name));

    record.Name = name;
    // A numeric or Boolean key that is missing, hand-edited into something else or out of
    // the field's range takes the built-in default, so the port still gets usable values.
    const ProfileData fallback = DefaultProfileData();
    for (const ProfileKey& key : ProfileKeyTable()) {
        const QString text = settings_.readKey(name, QLatin1String(key.name), QString());
        if (!FieldFromText(key, record, text))
            FieldFromText(key, record, FieldToText(key, fallback));
    }
}

void ProfileStore::SaveProfile(const QString& name, const ProfileData& record)
{
    // A profile named "General" or "Profiles" (say from the command line) would write its
    // 34 keys into the store's own sections.
    if (IsReservedProfileName(name))
        return;
    // One call for all keys: the store rewrites its file once per save, not once per key.
    platform::KeyValueList pairs;
    pairs.reserve(qsizetype(ProfileKeyTable().size()));
    for (const ProfileKey& key : ProfileKeyTable())
        pairs.append({QLatin1String(key.name), FieldToText(key, record)});
    settings_.writeKeys(name, pairs);
}

}  // namespace zandor::profiles
