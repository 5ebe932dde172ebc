#include "InfoCommands.h"

#include "BoardCommands.h"
#include "ExitCodes.h"
#include "FailureText.h"
#include "RunSetup.h"
#include "platform/SerialPortList.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileStore.h"
#include "protocol/ApplicationImage.h"
#include "protocol/ReplyCodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace zandor::cli {

namespace {

QString RangesText(const QList<protocol::AddressRange>& ranges)
{
    QStringList parts;
    for (const protocol::AddressRange& range : ranges)
        parts << AddressText(range.first) + QLatin1Char('-') + AddressText(range.last);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

}  // namespace

int RunCheck(const CliOptions& options)
{
    ConsoleReporter reporter(OutputStyle(options));
    const protocol::InputFile input = protocol::ReadInputFile(options.file);
    if (!input.ok()) {
        reporter.result(kExitBadInput, protocol::InputFileFaultText(options.file, input.reason), 0);
        return kExitBadInput;
    }
    protocol::ImageFault fault;
    const auto image = protocol::BuildApplicationImage(input.bytes, options.file,
                                                       options.offset.value_or(QString()), &fault);
    if (!image) {
        reporter.result(kExitBadInput, fault.text, 0);
        return kExitBadInput;
    }
    const protocol::ImageSummary summary = protocol::SummarizeImage(*image);
    const bool binary = image->fileType == protocol::kBinaryFileType;
    QJsonObject counts;
    QStringList countTexts;
    for (const auto& [type, count] : summary.recordsByType) {
        const QString name = binary ? QStringLiteral("S3 (64-byte chunks)") : QStringLiteral("S%1").arg(QLatin1Char(type));
        counts.insert(QStringLiteral("S%1").arg(QLatin1Char(type)), count);
        countTexts << QStringLiteral("%1 %2").arg(name).arg(count);
    }
    QJsonArray ranges;
    for (const protocol::AddressRange& range : summary.ranges)
        ranges.append(QJsonObject{{"first", AddressText(range.first)}, {"last", AddressText(range.last)}});
    QJsonObject result{{"file", options.file},
                       {"type", binary ? "binary" : "S-record"},
                       {"records", counts},
                       {"ranges", ranges},
                       {"data_bytes", summary.dataBytes},
                       {"sha256", QString::fromLatin1(image->sha256.toHex())}};
    if (binary)
        result.insert(QStringLiteral("load_address"), AddressText(image->loadAddress));
    if (options.json) {
        reporter.result(kExitSuccess, QStringLiteral("fit to program"), 0, result);
        return kExitSuccess;
    }
    QString text = QStringLiteral("file:       %1\ntype:       %2\n").arg(options.file, binary ? "binary" : "S-record");
    text += QStringLiteral("records:    %1\n").arg(countTexts.isEmpty() ? QStringLiteral("none") : countTexts.join(", "));
    text += QStringLiteral("ranges:     %1\n").arg(RangesText(summary.ranges));
    text += QStringLiteral("data bytes: %1\n").arg(summary.dataBytes);
    if (binary)
        text += QStringLiteral("lands at:   %1 (offset %2)\n")
                    .arg(RangesText(summary.ranges), options.offset.value_or(QString()).isEmpty() ? QStringLiteral("0") : *options.offset);
    PrintOut(text);
    return kExitSuccess;
}

int RunProfiles(const CliOptions& options)
{
    ConsoleReporter reporter(OutputStyle(options));
    const auto store = OpenProfileStore();
    if (options.command == Command::Profiles) {
        QStringList names;
        for (const auto& [key, value] : store->readSection(profiles::kProfilesSection))
            names << key;
        if (names.isEmpty())
            names << profiles::kDefaultProfileName;  // what the window creates on its first start
        if (options.json)
            reporter.result(kExitSuccess, QString(), 0, {{"profiles", QJsonArray::fromStringList(names)}});
        else
            PrintOut(names.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return kExitSuccess;
    }
    CliOptions named = options;
    named.profileGiven = true;
    QString error;
    const auto profile = SelectProfile(*store, named, &error);
    if (!profile) {
        reporter.result(kExitUsage, error, 0);
        return kExitUsage;
    }
    QJsonObject fields;
    QString text;
    for (const QString& key : profiles::ProfileKeyNames()) {
        const QString value = profiles::ProfileFieldText(*profile, key);
        fields.insert(key, value);
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    }
    if (options.json)
        reporter.result(kExitSuccess, QString(), 0, {{"profile", profile->Name}, {"fields", fields}});
    else
        PrintOut(text);
    return kExitSuccess;
}

int RunPorts(const CliOptions& options)
{
    const auto store = OpenProfileStore();
    const QList<platform::SerialPortEntry> ports = platform::ListSerialPorts(*store);
    if (options.json) {
        QJsonArray array;
        for (const platform::SerialPortEntry& port : ports) {
            QJsonArray com;
            for (int n : port.comPorts)
                com.append(n);
            array.append(QJsonObject{{"device", port.device}, {"by_id", port.byId},
                                     {"description", port.description}, {"manufacturer", port.manufacturer},
                                     {"vid", port.vid}, {"pid", port.pid}, {"serial", port.serialNumber},
                                     {"com", com}});
        }
        PrintOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
        return kExitSuccess;
    }
    if (ports.isEmpty()) {
        PrintOut(QStringLiteral("no serial ports found\n"));
        return kExitSuccess;
    }
    QString text;
    for (const platform::SerialPortEntry& port : ports) {
        QStringList com;
        for (int n : port.comPorts)
            com << QStringLiteral("COM%1").arg(n);
        QStringList details;
        if (!port.description.isEmpty())
            details << port.description;
        if (!port.manufacturer.isEmpty())
            details << port.manufacturer;
        if (!port.vid.isEmpty())
            details << QStringLiteral("%1:%2").arg(port.vid, port.pid);
        if (!port.serialNumber.isEmpty())
            details << QStringLiteral("serial %1").arg(port.serialNumber);
        text += port.device;
        if (!com.isEmpty())
            text += QStringLiteral("  (%1)").arg(com.join(QStringLiteral(", ")));
        if (!details.isEmpty())
            text += QStringLiteral("  ") + details.join(QStringLiteral(", "));
        text += QLatin1Char('\n');
        if (!port.byId.isEmpty())
            text += QStringLiteral("    %1\n").arg(port.byId);
    }
    PrintOut(text);
    return kExitSuccess;
}

}  // namespace zandor::cli
