#include "InfoCommands.h"

#include "BoardCommands.h"
#include "ExitCodes.h"
#include "RunSetup.h"
#include "platform/PortChecks.h"
#include "platform/PortOpenError.h"
#include "profiles/MemoryFiles.h"
#include "protocol/ApplicationImage.h"
#include "protocol/LoaderPackage.h"

#include <QJsonArray>

namespace zandor::cli {

namespace {

platform::PortCheck FileCheck(const QString& name, const QString& file, const QString& fault)
{
    if (fault.isEmpty())
        return {name, platform::CheckStatus::Pass, QStringLiteral("%1 can be sent").arg(file), QString()};
    // A relative name is looked up in the current folder, which is the usual surprise.
    const QString advice = RelativeNameAdvice(file);
    return {name, platform::CheckStatus::Fail, fault,
            advice.isEmpty() ? QStringLiteral("correct the file, or name another in the profile or with an option")
                             : advice};
}

// The profile's serial settings, checked as the port's open would check them.
platform::PortCheck SettingsCheck(const platform::PortSettings& settings, int portNumber, const QString& device)
{
    const QString name = QStringLiteral("settings");
    const auto refused = platform::RefusedPortSetting(settings, portNumber, device);
    if (!refused)
        return {name, platform::CheckStatus::Pass, QStringLiteral("%1, handshaking %2").arg(settings.settings).arg(settings.handshaking), QString()};
    return {name, platform::CheckStatus::Fail, platform::DescribePortOpenFailure(*refused),
            QStringLiteral("correct them in the profile manager (File, Properties...)")};
}

// The profile's files for the chosen memory, read and checked as a programming run would.
QList<platform::PortCheck> FileChecks(const profiles::ProfileData& profile, int memoryKind)
{
    QList<platform::PortCheck> checks;
    const protocol::InputFile preLoader = protocol::ReadInputFile(profile.PreLoaderFile);
    checks << FileCheck(QStringLiteral("pre-loader"), profile.PreLoaderFile,
                        preLoader.ok() ? QString() : protocol::InputFileFaultText(profile.PreLoaderFile, preLoader.reason));
    protocol::LoaderPrepareFault loaderFault;
    const auto loader = protocol::PrepareLoader(profile, static_cast<profiles::MemoryKind>(memoryKind), false, &loaderFault);
    checks << FileCheck(QStringLiteral("loader"), loader ? loader->loaderFile : loaderFault.fault.file,
                        loader ? QString() : loaderFault.fault.text);
    const protocol::ApplicationLoad application = protocol::LoadApplicationImage(profile, static_cast<profiles::MemoryKind>(memoryKind));
    const QString* applicationFile = profiles::FilesOfMemory(profile, memoryKind).application;
    checks << FileCheck(QStringLiteral("application"), applicationFile ? *applicationFile : QString(),
                        application.image ? QString() : application.fault.text);
    return checks;
}

}  // namespace

int RunDoctor(const CliOptions& options)
{
    ConsoleReporter reporter(OutputStyle(options));
    const auto store = OpenProfileStore();
    QString error;
    auto profile = SelectProfile(*store, options, &error);
    if (!profile) {
        reporter.result(kExitUsage, error, 0);
        return kExitUsage;
    }
    ApplyOverrides(*profile, options);
    const platform::PortSettings settings = PortSettingsFor(*profile, options.ports.value(0));
    const QString device = DeviceOf(*store, settings);
    const int portNumber = settings.device.isEmpty() ? settings.portNumber : 0;  // 0: a device given directly

    QList<platform::PortCheck> checks = platform::CheckPort(device);
    checks << SettingsCheck(settings, portNumber, device);
    checks += FileChecks(*profile, options.memoryKind);

    bool failed = false;
    QJsonArray rows;
    QString text = QStringLiteral("%1, profile '%2'\n").arg(platform::PortLabel(portNumber, device), profile->Name);
    for (const platform::PortCheck& check : checks) {
        failed = failed || check.status == platform::CheckStatus::Fail;
        const QString status = platform::CheckStatusName(check.status);
        rows.append(QJsonObject{{"name", check.name}, {"status", status}, {"detail", check.detail}, {"fix", check.fix}});
        text += QStringLiteral("%1  %2  %3\n").arg(status, -4).arg(check.name, -12).arg(check.detail);
        if (!check.fix.isEmpty())
            text += QStringLiteral("                    fix: %1\n").arg(check.fix);
    }
    const int exitCode = failed ? kExitPortFailed : kExitSuccess;
    if (options.json) {
        reporter.result(exitCode, failed ? QStringLiteral("a check failed") : QStringLiteral("nothing failed"), 0,
                        {{"port", device}, {"profile", profile->Name}, {"checks", rows}});
    } else {
        PrintOut(text);
    }
    return exitCode;
}

}  // namespace zandor::cli
