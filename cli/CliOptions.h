#pragma once

// The command line of zandor-cli: the command, its arguments and the options that
// override the profile for one run. One table holds every option; the parser, --help and
// the arguments of a gang's board processes all come from it.

#include "NextBoard.h"
#include "profiles/ProfileData.h"
#include "protocol/SerialNumberFormat.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zandor::cli {

enum class Command { Identify, Erase, Program, Check, Profiles, ProfilesShow, Ports, Doctor, Help, Version };

struct CliOptions {
    Command command = Command::Help;
    QString file;         // program FILE, check FILE
    QString profileName;  // profiles show NAME, or --profile NAME
    bool profileGiven = false;

    QStringList ports;  // --port (repeatable) and --ports A,B,C, in the order given
    std::optional<int> baud;
    QString cpu;  // "C167" or "ST10F168" when given
    profiles::MemoryKind memoryKind = profiles::CpuFlashMemory;  // --memory cpu|external|data
    std::optional<QString> offset;  // hexadecimal digits only (a typed 0x or h is taken off)
    QString preloader;
    QString loader;

    bool json = false;
    bool quiet = false;
    QString trace;

    std::optional<double> waitSeconds;  // --wait; 0: without limit
    bool loop = false;
    QString logFile;

    // --reset-sequence, --run-sequence: the profile's ResetSequence and RunSequence for this
    // run (the text as typed; checked with the profile's handshaking once it is known).
    std::optional<QString> resetSequence;
    std::optional<QString> runSequence;
    std::optional<NextBoardSignal> nextBoard;  // --next-board, for --loop

    // Serial numbers: each board's number written at --serial-at, taken from the counter
    // file (--serial-file, --serial-start the first) or from --serial-command's first line.
    std::optional<std::uint32_t> serialAt;
    std::optional<std::uint64_t> serialStart;
    QString serialFile;
    std::uint64_t serialStep = 1;
    protocol::SerialNumberFormat serialFormat;
    QString serialPlaceholder;  // hexadecimal; checked against the format's width
    QString serialCommand;
    QString operatorName;  // --operator, else ZANDOR_OPERATOR (read when the log is written)
    bool skipBlank = false;

    // Internal, set by a gang run for its board processes: the digest (hexadecimal) of the
    // built image the board must still get, so every board gets what the parent checked.
    QString expectImage;

    // The arguments as given, without the ones a gang run sets for each board process
    // (the ports, the trace, the image guard): what every board process is passed.
    QStringList boardArguments;
};

struct ParsedCommandLine {
    CliOptions options;
    QString error;  // not empty: a usage error (exit 1)
};

// How an option reaches a gang's board processes.
enum class ForBoards {
    PassedOn,   // unchanged, as the user typed it
    Rewritten,  // the parent sets it for each board (its port, its trace file, the guard)
};

// One option of the command line.
struct OptionRow {
    const char* name;        // "--port"
    const char* shortName;   // "-q", or nullptr
    const char* valueName;   // "DEVICE|N"; nullptr for a flag
    const char* help;        // one line per '\n'
    const char* defaultText; // shown after the help as "(default: ...)"; nullptr: none
    bool internal;           // not listed by --help: set by the program for itself
    ForBoards forBoards;
    // Stores the value (a flag gets an empty one); returns a usage error, or nothing.
    QString (*apply)(CliOptions& options, const QString& value);
};

const std::vector<OptionRow>& CliOptionTable();

// Parses the arguments after the program's name. Options may stand before or after the
// command.
ParsedCommandLine ParseCliArguments(const QStringList& arguments);

// The whole --help text: commands, options, exit codes.
QString UsageText();

// The COM number a --port value names ("3", "COM3", "com3"); no value for a device path.
std::optional<int> ComNumberOf(const QString& port);

// A load offset as people type it ("10000", "0x10000", "10000h") as the profile's
// hexadecimal digits ("10000"); nothing, with `fault`, for anything else.
std::optional<QString> OffsetDigits(const QString& typed, QString* fault);

// The names of the memories --memory takes ("cpu", "external", "data"), in their order, and
// the name of one; the log and zandor-line use the same names.
const QStringList& MemoryOptionNames();
QString MemoryOptionName(profiles::MemoryKind kind);

}  // namespace zandor::cli
