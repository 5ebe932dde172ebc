#include "RunSetup.h"

#include <QDir>
#include <QFileInfo>

#include "platform/ProductInfo.h"
#include "platform/SerialPortList.h"
#include "profiles/MemoryFiles.h"
#include "profiles/ProfileSerialSettings.h"
#include "profiles/ProfileStore.h"


namespace zandor::cli {

namespace {

using platform::SameName;

bool IsRegistered(platform::ISettingsStore& store, const QString& name)
{
    const QString missing = QStringLiteral("\x01missing");
    return store.readKey(profiles::kProfilesSection, name, missing) != missing;
}

}  // namespace

std::unique_ptr<platform::QtSettingsStore> OpenProfileStore()
{
    return platform::QtSettingsStore::ReadOnly(
        platform::QtSettingsStore::DefaultIniPath(platform::kProductStoreName));
}

std::optional<profiles::ProfileData> SelectProfile(platform::ISettingsStore& store, const CliOptions& options,
                                                   QString* error)
{
    QString name = options.profileGiven
                       ? options.profileName
                       : store.readKey(profiles::kGeneralSection, profiles::kProfileLastUsedKey, QString());
    if (name.isEmpty() || (!options.profileGiven && !IsRegistered(store, name)))
        name = profiles::kDefaultProfileName;  // a last profile deleted since falls back too
    profiles::ProfileData profile;
    if (IsRegistered(store, name)) {
        profiles::ProfileStore(store).LoadProfile(name, profile);
    } else if (SameName(name, profiles::kDefaultProfileName)) {
        profile = profiles::DefaultProfileData();  // an empty store: the built-in profile
        profile.Name = profiles::kDefaultProfileName;
    } else {
        *error = QStringLiteral("profile '%1' does not exist; 'zandor-cli profiles' lists them").arg(name);
        return std::nullopt;
    }
    return profile;
}

void ApplyOverrides(profiles::ProfileData& profile, const CliOptions& options)
{
    if (options.baud) {
        QStringList parts = profile.COMSettings.split(QLatin1Char(','));
        parts[0] = QString::number(*options.baud);
        profile.COMSettings = parts.join(QLatin1Char(','));
    }
    if (!options.cpu.isEmpty())
        profile.ProcessorCode = options.cpu;
    // After --cpu: the processor decides which field holds the CPU flash loader.
    const auto fields = profiles::FilesOfMemory(profile, options.memoryKind);
    if (options.offset)
        *fields.offset = *options.offset;
    if (options.command == Command::Program && !options.file.isEmpty())
        *fields.application = options.file;
    if (!options.preloader.isEmpty())
        profile.PreLoaderFile = options.preloader;
    if (!options.loader.isEmpty())
        *fields.loader = options.loader;
    if (options.resetSequence)
        profile.ResetSequence = *options.resetSequence;
    if (options.runSequence)
        profile.RunSequence = *options.runSequence;
}

platform::PortSettings PortSettingsFor(const profiles::ProfileData& profile, const QString& port)
{
    platform::PortSettings settings = profiles::PortSettingsFromProfile(profile);
    if (port.isEmpty())
        return settings;
    if (const std::optional<int> number = ComNumberOf(port))
        settings.portNumber = static_cast<std::int16_t>(*number);
    else
        settings.device = port;
    return settings;
}

QString DeviceOf(platform::ISettingsStore& store, const platform::PortSettings& settings)
{
    return settings.device.isEmpty() ? platform::DeviceNameForPort(store, settings.portNumber) : settings.device;
}

JobFiles ReadJobFiles(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind, bool withApplication)
{
    JobFiles files;
    files.loader = protocol::PrepareLoader(profile, memoryKind, true, &files.loaderFault);
    const bool preLoaderRefused = !files.loader && files.loaderFault.phase == protocol::Phase::PreLoader;
    files.verdicts << FileVerdict{QStringLiteral("pre-loader"), profile.PreLoaderFile,
                                  preLoaderRefused ? files.loaderFault.fault.text : QString()};
    // A refused pre-loader stops the preparation before the loader: that one on its own.
    protocol::LoaderPrepareFault loaderFault = files.loaderFault;
    std::optional<protocol::LoaderPackage> loader = files.loader;
    if (preLoaderRefused)
        loader = protocol::PrepareLoader(profile, memoryKind, false, &loaderFault);
    files.verdicts << FileVerdict{QStringLiteral("loader"), loader ? loader->loaderFile : loaderFault.fault.file,
                                  loader ? QString() : loaderFault.fault.text};
    if (withApplication) {
        files.application = protocol::LoadApplicationImage(profile, memoryKind);
        const QString* file = profiles::FilesOfMemory(profile, memoryKind).application;
        files.verdicts << FileVerdict{QStringLiteral("application"), file ? *file : QString(),
                                      files.application->image ? QString() : files.application->fault.text};
    }
    return files;
}

std::optional<profiles::ProfileData> ProfileForRun(platform::ISettingsStore& store, const CliOptions& options,
                                                   QString* error)
{
    auto profile = SelectProfile(store, options, error);
    if (profile)
        ApplyOverrides(*profile, options);
    return profile;
}

}  // namespace zandor::cli
