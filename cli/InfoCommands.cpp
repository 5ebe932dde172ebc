#include "InfoCommands.h"

#include "BoardCommands.h"
#include "ExitCodes.h"
#include "RunSetup.h"
#include "platform/SerialPortList.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileStore.h"
#include "protocol/ApplicationImage.h"
#include "protocol/FailureText.h"
#include "protocol/ImageCheck.h"
#include "protocol/ImageDigest.h"
#include "protocol/SerialFormat.h"
#include "protocol/ReplyCodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace zandor::cli {

namespace {

constexpr int kCheckLabelWidth = 14;  // "image sha256: " and the labels under it line up

// "label:      value\n": one line of check's text.
QString CheckLine(const QString& label, const QString& value)
{
    return QStringLiteral("%1%2\n").arg(label + QLatin1Char(':'), -kCheckLabelWidth).arg(value);
}

// check's result: everything it found, in the keys `--json` shows.
QJsonObject CheckObject(const CliOptions& options, const protocol::ApplicationImage& image, int baud)
{
    const protocol::ImageSummary summary = protocol::SummarizeImage(image);
    QJsonObject counts;
    for (const auto& [type, count] : summary.recordsByType)
        counts.insert(QStringLiteral("S%1").arg(QLatin1Char(type)), count);
    QJsonArray ranges;
    for (const protocol::AddressRange& range : summary.ranges)
        ranges.append(QJsonObject{{"first", protocol::AddressText(range.first)},
                                  {"last", protocol::AddressText(range.last)},
                                  {"bytes", qint64(range.last) - qint64(range.first) + 1}});
    // Whole milliseconds: the estimate is no finer than that.
    const double estimate = qRound64(protocol::EstimatedDownloadSeconds(image, baud) * 1000) / 1000.0;
    QJsonObject result{{"file", options.file},
                       {"type", protocol::FileTypeName(image.fileType)},
                       {"records", counts},
                       {"ranges", ranges},
                       {"data_bytes", summary.dataBytes},
                       {"sha256", QString::fromLatin1(image.sha256.toHex())},
                       {"image_sha256", protocol::ImageDigestText(image)},
                       {"baud", baud},
                       {"estimated_seconds", estimate},
                       {"warnings", QJsonArray::fromStringList(protocol::WordAlignmentWarnings(summary.ranges))}};
    if (image.fileType == protocol::kBinaryFileType)
        result.insert(QStringLiteral("load_address"), protocol::AddressText(image.loadAddress));
    return result;
}

// check's text for people, rendered from its JSON object.
QString CheckText(const QJsonObject& result)
{
    const bool binary = result.contains(QStringLiteral("load_address"));
    // Binary and Intel HEX data travel as S3 records the program cuts.
    const bool chunks = result.value(QStringLiteral("type")).toString() != protocol::FileTypeName(protocol::kSRecordFileType);
    QStringList counts;
    const QJsonObject records = result.value(QStringLiteral("records")).toObject();
    for (auto it = records.begin(); it != records.end(); ++it)
        counts << QStringLiteral("%1 %2").arg(chunks ? it.key() + QStringLiteral(" (chunks of up to 64 bytes)") : it.key())
                      .arg(it.value().toInt());
    QStringList ranges;
    for (const QJsonValue& value : result.value(QStringLiteral("ranges")).toArray()) {
        const QJsonObject range = value.toObject();
        ranges << QStringLiteral("%1-%2 (%3 bytes)")
                      .arg(range.value(QStringLiteral("first")).toString(), range.value(QStringLiteral("last")).toString())
                      .arg(range.value(QStringLiteral("bytes")).toInteger());
    }
    QString text = CheckLine(QStringLiteral("file"), result.value(QStringLiteral("file")).toString());
    text += CheckLine(QStringLiteral("type"), result.value(QStringLiteral("type")).toString());
    text += CheckLine(QStringLiteral("records"), counts.isEmpty() ? QStringLiteral("none") : counts.join(QStringLiteral(", ")));
    text += CheckLine(QStringLiteral("ranges"), ranges.isEmpty() ? QStringLiteral("none") : ranges.join(QStringLiteral(", ")));
    text += CheckLine(QStringLiteral("data bytes"), QString::number(result.value(QStringLiteral("data_bytes")).toInteger()));
    if (binary)
        text += CheckLine(QStringLiteral("lands at"), result.value(QStringLiteral("load_address")).toString());
    text += CheckLine(QStringLiteral("file sha256"), result.value(QStringLiteral("sha256")).toString());
    text += CheckLine(QStringLiteral("image sha256"), result.value(QStringLiteral("image_sha256")).toString());
    text += CheckLine(QStringLiteral("download"),
                      QStringLiteral("about %1 s at %2 baud (an adapter without latency)")
                          .arg(result.value(QStringLiteral("estimated_seconds")).toDouble(), 0, 'f', 1)
                          .arg(result.value(QStringLiteral("baud")).toInt()));
    for (const QJsonValue& warning : result.value(QStringLiteral("warnings")).toArray())
        text += CheckLine(QStringLiteral("warning"), warning.toString());
    return text;
}

// The profile list's text, rendered from its JSON object.
QString ProfilesText(const QJsonObject& result)
{
    QString text;
    for (const QJsonValue& name : result.value(QStringLiteral("profiles")).toArray())
        text += name.toString() + QLatin1Char('\n');
    return text;
}

// One profile's fields as KEY=VALUE lines, in the store's key order, from its JSON object.
QString ProfileFieldsText(const QJsonObject& result)
{
    const QJsonObject fields = result.value(QStringLiteral("fields")).toObject();
    QString text;
    for (const QString& key : profiles::ProfileKeyNames())
        text += key + QLatin1Char('=') + fields.value(key).toString() + QLatin1Char('\n');
    return text;
}

// The port list's text, rendered from its JSON array.
QString PortsText(const QJsonArray& ports)
{
    if (ports.isEmpty())
        return QStringLiteral("no serial ports found\n");
    QString text;
    for (const QJsonValue& value : ports) {
        const QJsonObject port = value.toObject();
        auto field = [&port](const char* key) { return port.value(QLatin1String(key)).toString(); };
        QStringList com;
        for (const QJsonValue& n : port.value(QStringLiteral("com")).toArray())
            com << QStringLiteral("COM%1").arg(n.toInt());
        QStringList details;
        for (const char* key : {"description", "manufacturer"}) {
            if (!field(key).isEmpty())
                details << field(key);
        }
        if (!field("vid").isEmpty())
            details << QStringLiteral("%1:%2").arg(field("vid"), field("pid"));
        if (!field("serial").isEmpty())
            details << QStringLiteral("serial %1").arg(field("serial"));
        text += field("device");
        if (!com.isEmpty())
            text += QStringLiteral("  (%1)").arg(com.join(QStringLiteral(", ")));
        if (!details.isEmpty())
            text += QStringLiteral("  ") + details.join(QStringLiteral(", "));
        text += QLatin1Char('\n');
        if (!field("by_id").isEmpty())
            text += QStringLiteral("    %1\n").arg(field("by_id"));
    }
    return text;
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
    // The download time is the profile's (or --baud's): the one a program run would use.
    const auto store = OpenProfileStore();
    QString error;
    const auto profile = ProfileForRun(*store, options, &error);
    if (!profile) {
        reporter.result(kExitUsage, error, 0);
        return kExitUsage;
    }
    const QJsonObject result = CheckObject(options, *image, protocol::BaudRateOf(*profile));
    if (options.json)
        reporter.result(kExitSuccess, QStringLiteral("fit to program"), 0, result);
    else
        PrintOut(CheckText(result));
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
        const QJsonObject result{{"profiles", QJsonArray::fromStringList(names)}};
        if (options.json)
            reporter.result(kExitSuccess, QString(), 0, result);
        else
            PrintOut(ProfilesText(result));
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
    for (const QString& key : profiles::ProfileKeyNames())
        fields.insert(key, profiles::ProfileFieldText(*profile, key));
    const QJsonObject result{{"profile", profile->Name}, {"fields", fields}};
    if (options.json)
        reporter.result(kExitSuccess, QString(), 0, result);
    else
        PrintOut(ProfileFieldsText(result));
    return kExitSuccess;
}

int RunPorts(const CliOptions& options)
{
    const auto store = OpenProfileStore();
    const QList<platform::SerialPortEntry> ports = platform::ListSerialPorts(*store);
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
    if (options.json)
        PrintOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
    else
        PrintOut(PortsText(array));
    return kExitSuccess;
}

}  // namespace zandor::cli
