#pragma once

// Everything a board command needs before it talks to the board: the window's profile
// store (read only), the profile with this run's overrides, and the port to open.

#include "CliOptions.h"
#include "platform/ISerialPort.h"
#include "platform/QtSettingsStore.h"
#include "profiles/ProfileData.h"
#include "protocol/ApplicationImage.h"
#include "protocol/FailureText.h"
#include "protocol/LoaderPackage.h"

#include <QString>
#include <memory>
#include <optional>

namespace zandor::cli {

// The window's store under the product's name, whatever this program is called. Read
// only: the command line never changes the window's profiles.
std::unique_ptr<platform::QtSettingsStore> OpenProfileStore();

// The profile: --profile, else the window's last one, else "Default" (the built-in values
// when the store has none). Nothing, with `error`, for a --profile that does not exist.
std::optional<profiles::ProfileData> SelectProfile(platform::ISettingsStore& store, const CliOptions& options,
                                                   QString* error);

// This run's overrides: --baud, --cpu, --offset, --preloader, --loader and the program's
// FILE, each into the profile field the chosen memory uses.
void ApplyOverrides(profiles::ProfileData& profile, const CliOptions& options);

// The selected profile with this run's overrides applied; nothing, with `error`, as
// SelectProfile.
std::optional<profiles::ProfileData> ProfileForRun(platform::ISettingsStore& store, const CliOptions& options,
                                                   QString* error);

// The port as given: "3" is COM port 3 mapped as the window maps it, anything else a device.
// With no port given, the profile's COM port.
platform::PortSettings PortSettingsFor(const profiles::ProfileData& profile, const QString& port);
// The device a port opens, for messages and logs.
QString DeviceOf(platform::ISettingsStore& store, const platform::PortSettings& settings);

// One file a run sends and why it cannot be sent (empty `fault`: it can).
struct FileVerdict {
    QString name;  // "pre-loader", "loader", "application"
    QString file;
    QString fault;
};

// Every file of a run, read and checked by the same functions whether it is programmed or
// only examined (the doctor), so the two cannot disagree about a file.
struct JobFiles {
    std::optional<protocol::LoaderPackage> loader;  // pre-loader and loader, both sendable
    protocol::LoaderPrepareFault loaderFault;       // the first fault when there is no loader
    std::optional<protocol::ApplicationLoad> application;  // asked for: the image, or its fault
    QList<FileVerdict> verdicts;  // each file on its own, in the order they are sent
};
JobFiles ReadJobFiles(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind, bool withApplication);

}  // namespace zandor::cli
