#include "InfoCommands.h"

#include "BoardCommands.h"
#include "ExitCodes.h"
#include "LineSequences.h"
#include "RunSetup.h"
#include "platform/PortChecks.h"
#include "platform/PortOpenError.h"
#include "platform/QtSerialPort.h"
#include "platform/SerialPortList.h"
#include "protocol/ChipIdentification.h"
#include "protocol/FailureText.h"
#include "protocol/SerialFormat.h"

#include <QJsonArray>

namespace zandor::cli {

namespace {

platform::PortCheck FileCheck(const QString& name, const QString& file, const QString& fault)
{
    if (fault.isEmpty())
        return {name, platform::CheckStatus::Pass, QStringLiteral("%1 can be sent").arg(file), QString()};
    // A relative name is looked up in the current folder, which is the usual surprise.
    const QString advice = protocol::RelativeNameAdvice(file);
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

// The bootstrap loader measures the baud rate from the zero byte as 8 data bits without
// parity: any other format (which the port itself takes) makes it measure another rate.
platform::PortCheck FormatCheck(const profiles::ProfileData& profile)
{
    const QString name = QStringLiteral("format");
    const QString problem = protocol::SerialFormatProblem(profile);
    if (problem.isEmpty())
        return {name, platform::CheckStatus::Pass, QStringLiteral("8 data bits without parity, as the bootstrap loader takes them"), QString()};
    return {name, platform::CheckStatus::Fail, problem, protocol::kSerialFormatFix};
}

// Which identification byte the profile's CPU type accepts, and what each other byte of
// the table would mean: a board that answers one of them is named before it is met.
platform::PortCheck ProcessorCheck(const profiles::ProfileData& profile)
{
    const protocol::CpuType cpu = protocol::CpuTypeOf(profile);
    QStringList others;
    for (const protocol::ChipIdentification& row : protocol::ChipIdentifications()) {
        if (row.acceptedBy != cpu)
            others << QStringLiteral("%1h is %2").arg(protocol::ChipByteText(row.byte),
                                                      protocol::RefusedIdentificationAdvice(row.byte, cpu));
    }
    return {QStringLiteral("processor"), platform::CheckStatus::Pass,
            QStringLiteral("%1: the board must answer %2h; refused: %3")
                .arg(protocol::ChipText(profile), protocol::ChipByteText(protocol::AcceptedIdentification(cpu)),
                     others.join(QStringLiteral("; "))),
            QString()};
}

// A reset or run sequence (or a presence line) needs a port whose driver has the modem
// lines: the port is opened as a run opens it and its status lines read once.
platform::PortCheck ModemLinesCheck(platform::ISettingsStore& store, const platform::PortSettings& settings,
                                    const QString& device)
{
    const QString name = QStringLiteral("modem lines");
    platform::QtSerialPort port([&store](int number) { return platform::DeviceNameForPort(store, number); });
    QString reason;
    if (!port.open(settings, &reason))
        return {name, platform::CheckStatus::Fail, QStringLiteral("cannot be checked: %1").arg(reason),
                QStringLiteral("make the port open first (see above)")};
    const QString fault = ModemLinesFault(port, device);
    port.close();
    if (fault.isEmpty())
        return {name, platform::CheckStatus::Pass, QStringLiteral("DTR, RTS and the status lines answer, as the "
                                                                  "profile's sequences need"),
                QString()};
    return {name, platform::CheckStatus::Fail, fault,
            QStringLiteral("use an adapter that wires the modem lines, or clear ResetSequence and RunSequence")};
}

// The doctor's text for people, rendered from its JSON object.
QString DoctorText(const QJsonObject& result)
{
    QString text = result.value(QStringLiteral("heading")).toString() + QLatin1Char('\n');
    for (const QJsonValue& value : result.value(QStringLiteral("checks")).toArray()) {
        const QJsonObject check = value.toObject();
        text += QStringLiteral("%1  %2  %3\n")
                    .arg(check.value(QStringLiteral("status")).toString(), -4)
                    .arg(check.value(QStringLiteral("name")).toString(), -12)
                    .arg(check.value(QStringLiteral("detail")).toString());
        if (!check.value(QStringLiteral("fix")).toString().isEmpty())
            text += QStringLiteral("                    fix: %1\n").arg(check.value(QStringLiteral("fix")).toString());
    }
    return text;
}

// The profile's files for the chosen memory, read and checked by the very functions a
// programming run uses.
QList<platform::PortCheck> FileChecks(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind)
{
    QList<platform::PortCheck> checks;
    for (const FileVerdict& verdict : ReadJobFiles(profile, memoryKind, true).verdicts)
        checks << FileCheck(verdict.name, verdict.file, verdict.fault);
    return checks;
}

}  // namespace

int RunDoctor(const CliOptions& options)
{
    ConsoleReporter reporter(OutputStyle(options));
    const auto store = OpenProfileStore();
    QString error;
    const auto profile = ProfileForRun(*store, options, &error);
    if (!profile) {
        reporter.result(kExitUsage, error, 0);
        return kExitUsage;
    }
    const platform::PortSettings settings = PortSettingsFor(*profile, options.ports.value(0));
    const QString device = DeviceOf(*store, settings);
    const int portNumber = settings.device.isEmpty() ? settings.portNumber : 0;  // 0: a device given directly

    QList<platform::PortCheck> checks = platform::CheckPort(device);
    checks << SettingsCheck(settings, portNumber, device);
    if (NeedsModemLines(*profile, options))
        checks << ModemLinesCheck(*store, settings, device);
    checks << FormatCheck(*profile) << ProcessorCheck(*profile);
    checks += FileChecks(*profile, options.memoryKind);

    bool failed = false;
    QJsonArray rows;
    for (const platform::PortCheck& check : checks) {
        failed = failed || check.status == platform::CheckStatus::Fail;
        rows.append(QJsonObject{{"name", check.name}, {"status", platform::CheckStatusName(check.status)},
                                {"detail", check.detail}, {"fix", check.fix}});
    }
    const QJsonObject result{
        {"port", device}, {"profile", profile->Name}, {"checks", rows},
        {"heading", QStringLiteral("%1, profile '%2'").arg(platform::PortLabel(portNumber, device), profile->Name)}};
    const int exitCode = failed ? kExitPortFailed : kExitSuccess;
    if (options.json)
        reporter.result(exitCode, failed ? QStringLiteral("a check failed") : QStringLiteral("nothing failed"), 0, result);
    else
        PrintOut(DoctorText(result));
    return exitCode;
}

}  // namespace zandor::cli
