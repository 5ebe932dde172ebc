#include "LineSetup.h"

#include "cli/CliOptions.h"
#include "platform/ProductInfo.h"
#include "platform/QtSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace zandor::line {

namespace {

const QString kSetupSection = QStringLiteral("Setup");
const QString kSetupFileName = QStringLiteral("zandor-line.ini");
const QString kCliName = QStringLiteral("zandor-cli");

// The text fields: the key they are remembered under and, when set, the zandor-cli option
// that passes them on (empty: passed otherwise).
struct TextField {
    const char* key;
    QString LineSetup::*field;
    const char* cliOption;
};
const TextField kTextFields[] = {
    {"Profile", &LineSetup::profile, "--profile"},
    {"File", &LineSetup::file, ""},
    {"Memory", &LineSetup::memory, ""},
    {"ResetSequence", &LineSetup::resetSequence, "--reset-sequence"},
    {"RunSequence", &LineSetup::runSequence, "--run-sequence"},
    {"NextBoard", &LineSetup::nextBoard, "--next-board"},
    {"SerialFile", &LineSetup::serialFile, "--serial-file"},
    {"SerialAt", &LineSetup::serialAt, "--serial-at"},
    {"SerialStart", &LineSetup::serialStart, "--serial-start"},
    {"SerialCommand", &LineSetup::serialCommand, "--serial-command"},
    {"Operator", &LineSetup::operatorName, "--operator"},
    {"Log", &LineSetup::logFile, "--log"},
};

struct FlagField {
    const char* key;
    bool LineSetup::*field;
    const char* cliOption;
};
const FlagField kFlagFields[] = {
    {"Loop", &LineSetup::loop, "--loop"},
    {"SkipBlank", &LineSetup::skipBlank, "--skip-blank"},
};

const QString kPortsKey = QStringLiteral("Ports");

bool FolderOfFileExists(const QString& file)
{
    return QFileInfo(QFileInfo(file).absolutePath()).isDir();
}

}  // namespace

bool LineSetup::operator==(const LineSetup& other) const
{
    for (const TextField& text : kTextFields) {
        if (this->*text.field != other.*text.field)
            return false;
    }
    for (const FlagField& flag : kFlagFields) {
        if (this->*flag.field != other.*flag.field)
            return false;
    }
    return ports == other.ports;
}

QStringList GangArguments(const LineSetup& setup)
{
    QStringList args{QStringLiteral("program"), setup.file, QStringLiteral("--ports"),
                     setup.ports.join(QLatin1Char(',')), QStringLiteral("--memory"), setup.memory,
                     QStringLiteral("--json")};
    for (const TextField& text : kTextFields) {
        const QString value = (setup.*text.field).trimmed();
        if (*text.cliOption && !value.isEmpty())
            args << QLatin1String(text.cliOption) << value;
    }
    for (const FlagField& flag : kFlagFields) {
        if (setup.*flag.field)
            args << QLatin1String(flag.cliOption);
    }
    return args;
}

QStringList SetupProblems(const LineSetup& setup)
{
    QStringList problems;
    if (setup.file.trimmed().isEmpty())
        problems << QStringLiteral("No application file: choose one with Browse or drop it on the window.");
    else if (!QFileInfo(setup.file).isFile())
        problems << QStringLiteral("The application file %1 does not exist: choose it again.").arg(setup.file);
    if (!cli::MemoryOptionNames().contains(setup.memory))
        problems << QStringLiteral("Memory '%1' is unknown: choose cpu, external or data.").arg(setup.memory);
    if (setup.ports.isEmpty())
        problems << QStringLiteral("No port: tick the ports the boards are plugged into.");
    const bool counter = !setup.serialFile.trimmed().isEmpty();
    const bool command = !setup.serialCommand.trimmed().isEmpty();
    if (counter && command)
        problems << QStringLiteral("Serial numbers come from a counter file or from a command, not both: "
                                   "clear one of them.");
    if (!counter && (!setup.serialAt.trimmed().isEmpty() || !setup.serialStart.trimmed().isEmpty()))
        problems << QStringLiteral("A serial address or first number needs a counter file: give the "
                                   "counter file or clear them.");
    if ((counter || command) && setup.serialAt.trimmed().isEmpty())
        problems << QStringLiteral("Serial numbers need the address they are written to: fill in "
                                   "\"Serial number at\".");
    if (counter && !FolderOfFileExists(setup.serialFile))
        problems << QStringLiteral("The folder of the counter file %1 does not exist: create it or choose "
                                   "another file.").arg(setup.serialFile);
    if (!setup.logFile.trimmed().isEmpty() && !FolderOfFileExists(setup.logFile))
        problems << QStringLiteral("The folder of the log file %1 does not exist: create it or choose "
                                   "another file.").arg(setup.logFile);
    return problems;
}

QString SetupFilePath()
{
    const QString store = platform::QtSettingsStore::DefaultIniPath(platform::kProductStoreName);
    return QFileInfo(store).absoluteDir().filePath(kSetupFileName);
}

LineSetup LoadSetup(QSettings& settings)
{
    LineSetup setup;
    settings.beginGroup(kSetupSection);
    for (const TextField& text : kTextFields)
        setup.*text.field = settings.value(QLatin1String(text.key), setup.*text.field).toString();
    for (const FlagField& flag : kFlagFields)
        setup.*flag.field = settings.value(QLatin1String(flag.key), setup.*flag.field).toBool();
    setup.ports = settings.value(kPortsKey).toStringList();
    settings.endGroup();
    if (!cli::MemoryOptionNames().contains(setup.memory))
        setup.memory = cli::MemoryOptionNames().first();  // a hand-edited file
    return setup;
}

void SaveSetup(QSettings& settings, const LineSetup& setup)
{
    settings.beginGroup(kSetupSection);
    for (const TextField& text : kTextFields)
        settings.setValue(QLatin1String(text.key), setup.*text.field);
    for (const FlagField& flag : kFlagFields)
        settings.setValue(QLatin1String(flag.key), setup.*flag.field);
    settings.setValue(kPortsKey, setup.ports);
    settings.endGroup();
    settings.sync();
}

QString CliProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_CLI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString sibling = QDir(QCoreApplication::applicationDirPath()).filePath(kCliName);
    return QFileInfo(sibling).isExecutable() ? sibling : kCliName;
}

}  // namespace zandor::line
