#include "CliOptions.h"

#include "profiles/LineSequence.h"
#include "protocol/BlankRecords.h"
#include "protocol/SRecordCodec.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>

namespace zandor::cli {

namespace {

const QHash<QString, Command> kCommands = {
    {QStringLiteral("identify"), Command::Identify}, {QStringLiteral("erase"), Command::Erase},
    {QStringLiteral("program"), Command::Program},   {QStringLiteral("check"), Command::Check},
    {QStringLiteral("profiles"), Command::Profiles}, {QStringLiteral("ports"), Command::Ports},
    {QStringLiteral("doctor"), Command::Doctor},
};

// The memories a user can choose, by the names --memory, the log and zandor-line use.
struct MemoryChoice {
    const char* name;
    profiles::MemoryKind kind;
};
constexpr MemoryChoice kMemories[] = {{"cpu", profiles::CpuFlashMemory},
                                      {"external", profiles::ExternalFlashMemory},
                                      {"data", profiles::DataFlashMemory}};

// The shortest wait that is not "no limit": a board is probed in whole milliseconds.
constexpr double kShortestWaitSeconds = 0.001;

// Where the help's texts start, after "  --option VALUE".
constexpr int kHelpColumn = 23;

// An empty file, profile, log or trace name (a script's unset variable) would quietly fall
// back to the profile's own, or to none: a usage error naming the option instead.
QString EmptyValueError(const char* option)
{
    return QStringLiteral("%1: the value is empty (an unset variable?)").arg(QLatin1String(option));
}

bool IsBoardCommand(Command command)
{
    return command == Command::Identify || command == Command::Erase || command == Command::Program;
}

QString AddPort(CliOptions& o, const QString& port)
{
    const std::optional<int> number = ComNumberOf(port);
    if (port.isEmpty())
        return QStringLiteral("--port: empty port name");
    if (number && *number < 1)
        return QStringLiteral("--port %1: COM numbers start at 1").arg(port);
    if (port.startsWith(QLatin1Char('-')))
        return QStringLiteral("--port %1: neither a device nor a COM number").arg(port);
    if (o.ports.contains(port))
        return QStringLiteral("--port %1 is given twice").arg(port);
    o.ports << port;
    return QString();
}

QString ApplyPorts(CliOptions& o, const QString& v)
{
    const QStringList ports = v.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (ports.isEmpty())
        return QStringLiteral("--ports: no port given");
    for (const QString& port : ports) {
        if (QString error = AddPort(o, port.trimmed()); !error.isEmpty())
            return error;
    }
    return QString();
}

QString ApplyBaud(CliOptions& o, const QString& v)
{
    bool ok = false;
    const int baud = v.toInt(&ok);
    if (!ok || baud <= 0)
        return QStringLiteral("--baud: '%1' is not a baud rate such as 38400").arg(v);
    o.baud = baud;
    return QString();
}

QString ApplyCpu(CliOptions& o, const QString& v)
{
    const QString upper = v.toUpper();
    if (upper != QLatin1String("C167") && upper != QLatin1String("ST10F168"))
        return QStringLiteral("--cpu: '%1' is neither C167 nor ST10F168").arg(v);
    o.cpu = upper;
    return QString();
}

QString ApplyMemory(CliOptions& o, const QString& v)
{
    for (const MemoryChoice& memory : kMemories) {
        if (v.compare(QLatin1String(memory.name), Qt::CaseInsensitive) == 0) {
            o.memoryKind = memory.kind;
            return QString();
        }
    }
    return QStringLiteral("--memory: '%1' is none of %2").arg(v, MemoryOptionNames().join(QStringLiteral(", ")));
}

QString ApplyOffset(CliOptions& o, const QString& v)
{
    QString fault;
    const std::optional<QString> digits = OffsetDigits(v, &fault);
    if (!digits)
        return QStringLiteral("--offset: %1").arg(fault);
    o.offset = *digits;
    return QString();
}

QString ApplyWait(CliOptions& o, const QString& v)
{
    // NaN passes every comparison and a wait under a millisecond would round to "no limit":
    // only 0 or a finite time a board can be probed for.
    bool ok = false;
    const double seconds = v.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || (seconds != 0 && !(seconds >= kShortestWaitSeconds)))
        return QStringLiteral("--wait: '%1' is neither 0 (no limit) nor a number of seconds from 0.001").arg(v);
    o.waitSeconds = seconds;
    return QString();
}

// A sequence's steps are checked here, so a typo is named before anything else; whether it
// goes with the profile's handshaking is checked once the profile is read.
QString ApplySequence(std::optional<QString>& sequence, const char* option, const QString& v)
{
    QString fault;
    if (!profiles::ParseLineSequence(v, &fault))
        return QStringLiteral("%1: %2").arg(QLatin1String(option), fault);
    sequence = v;
    return QString();
}

QString ApplyNextBoard(CliOptions& o, const QString& v)
{
    o.nextBoard = ParseNextBoard(v);
    if (!o.nextBoard)
        return QStringLiteral("--next-board: '%1' is none of %2").arg(v, NextBoardChoices());
    return QString();
}

// "1F000", "0x1F000" or "1F000h", as --offset takes it.
QString ApplySerialAt(CliOptions& o, const QString& v)
{
    QString fault;
    const std::optional<QString> digits = OffsetDigits(v, &fault);
    bool ok = false;
    const uint address = digits ? digits->toUInt(&ok, 16) : 0;
    if (!digits || !ok)
        return QStringLiteral("--serial-at: '%1' is no hexadecimal address%2")
            .arg(v, fault.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(fault));
    o.serialAt = address;
    return QString();
}

// A decimal number of 0 or more (`least` 1: of 1 or more).
QString ApplyCount(std::uint64_t& into, const char* option, const QString& v, std::uint64_t least)
{
    bool ok = false;
    const qulonglong number = v.toULongLong(&ok, 10);
    if (!ok || number < least || v.startsWith(QLatin1Char('+')))
        return QStringLiteral("%1: '%2' is no decimal number from %3").arg(QLatin1String(option), v).arg(least);
    into = number;
    return QString();
}

QString ApplyText(QString& into, const char* option, const QString& v)
{
    if (v.isEmpty())
        return EmptyValueError(option);
    into = v;
    return QString();
}

const std::vector<OptionRow> kOptions = {
    {"--profile", nullptr, "NAME", "profile to use", "the window's last, else Default", false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         if (v.isEmpty())
             return EmptyValueError("--profile");
         o.profileName = v;
         o.profileGiven = true;
         return QString();
     }},
    {"--port", nullptr, "DEVICE|N",
     "a device (/dev/ttyUSB0, a /dev/serial/by-id path) or a COM\nnumber mapped as the window maps it; program: repeatable",
     nullptr, false, ForBoards::Rewritten, AddPort},
    {"--ports", nullptr, "A,B,C", "several ports at once (program)", nullptr, false, ForBoards::Rewritten, ApplyPorts},
    {"--baud", nullptr, "N", "baud rate", nullptr, false, ForBoards::PassedOn, ApplyBaud},
    {"--cpu", nullptr, "C167|ST10F168", "processor", nullptr, false, ForBoards::PassedOn, ApplyCpu},
    {"--memory", nullptr, "cpu|external|data", "memory to work on", "cpu", false, ForBoards::PassedOn, ApplyMemory},
    {"--offset", nullptr, "HEX", "load address of a binary file: 10000, 0x10000 or 10000h",
     nullptr, false, ForBoards::PassedOn, ApplyOffset},
    {"--preloader", nullptr, "FILE", "pre-loader file", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         if (v.isEmpty())
             return EmptyValueError("--preloader");
         o.preloader = v;
         return QString();
     }},
    {"--loader", nullptr, "FILE", "loader file of the chosen memory", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         if (v.isEmpty())
             return EmptyValueError("--loader");
         o.loader = v;
         return QString();
     }},
    {"--wait", nullptr, "SECONDS",
     "keep probing for a board (about every 250 ms); 0: no limit,\nelse at least 0.001", nullptr, false,
     ForBoards::PassedOn, ApplyWait},
    {"--loop", nullptr, nullptr, "program board after board until Ctrl-C (program)", nullptr, false,
     ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.loop = true;
         return QString();
     }},
    {"--next-board", nullptr, "HOW",
     "how --loop knows a new board (needed with a reset sequence):\nadapter (it goes and comes back), dsr, dcd or cts (the\n"
     "fixture's presence line drops and returns), enter",
     nullptr, false, ForBoards::PassedOn, ApplyNextBoard},
    {"--reset-sequence", nullptr, "SEQ",
     "DTR/RTS steps before every zero byte, such as\n\"dtr=on rts=on wait=50 rts=off wait=100\"", "the profile's",
     false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplySequence(o.resetSequence, "--reset-sequence", v); }},
    {"--run-sequence", nullptr, "SEQ", "DTR/RTS steps after a board is programmed, to start it", "the profile's",
     false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplySequence(o.runSequence, "--run-sequence", v); }},
    {"--log", nullptr, "FILE", "append one JSON line per board (program)", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         if (v.isEmpty())
             return EmptyValueError("--log");
         o.logFile = v;
         return QString();
     }},
    {"--operator", nullptr, "NAME", "who runs the line, for the log", "$ZANDOR_OPERATOR", false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplyText(o.operatorName, "--operator", v); }},
    {"--skip-blank", nullptr, nullptr,
     "send no data record whose every byte is FFh (cpu and\nexternal memory: erased before programming)", nullptr, false,
     ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.skipBlank = true;
         return QString();
     }},
    {"--serial-at", nullptr, "ADDR",
     "write each board's serial number at this address of the\nimage (its bytes must hold --serial-placeholder)", nullptr,
     false, ForBoards::PassedOn, ApplySerialAt},
    {"--serial-file", nullptr, "FILE", "the counter file holding the next serial number", nullptr, false,
     ForBoards::PassedOn, [](CliOptions& o, const QString& v) { return ApplyText(o.serialFile, "--serial-file", v); }},
    {"--serial-start", nullptr, "N", "the first number, while the counter file has none", nullptr, false,
     ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         std::uint64_t start = 0;
         const QString error = ApplyCount(start, "--serial-start", v, 0);
         if (error.isEmpty())
             o.serialStart = start;
         return error;
     }},
    {"--serial-step", nullptr, "K", "what each board adds to the counter", "1", false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplyCount(o.serialStep, "--serial-step", v, 1); }},
    {"--serial-format", nullptr, "u16le|u16be|u32le|u32be|ascii:W|bcd:W",
     "the number's bytes in the image (W: bytes; ascii\nzero-padded, bcd two digits a byte)", "u32le", false,
     ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) {
         QString fault;
         const auto format = protocol::ParseSerialNumberFormat(v, &fault);
         if (!format)
             return QStringLiteral("--serial-format: %1").arg(fault);
         o.serialFormat = *format;
         return QString();
     }},
    {"--serial-placeholder", nullptr, "HEX",
     "what the firmware leaves at --serial-at: one byte repeated\nor every byte", "FF", false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplyText(o.serialPlaceholder, "--serial-placeholder", v); }},
    {"--serial-command", nullptr, "CMD",
     "run CMD through the shell for each board's number (its\nfirst output line) instead of the counter file", nullptr,
     false, ForBoards::PassedOn,
     [](CliOptions& o, const QString& v) { return ApplyText(o.serialCommand, "--serial-command", v); }},
    {"--json", nullptr, nullptr, "one JSON object per line on standard output", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.json = true;
         return QString();
     }},
    {"--trace", nullptr, "FILE",
     "every byte both ways, with the time in milliseconds\n(several ports: FILE.<device name> for each)", nullptr,
     false, ForBoards::Rewritten,
     [](CliOptions& o, const QString& v) {
         if (v.isEmpty())
             return EmptyValueError("--trace");
         o.trace = v;
         return QString();
     }},
    {"--quiet", "-q", nullptr, "errors only", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.quiet = true;
         return QString();
     }},
    {"--help", "-h", nullptr, "this text", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.command = Command::Help;
         return QString();
     }},
    {"--version", nullptr, nullptr, "the version", nullptr, false, ForBoards::PassedOn,
     [](CliOptions& o, const QString&) {
         o.command = Command::Version;
         return QString();
     }},
    // A gang's board process: the digest of the image its parent checked.
    {"--expect-image", nullptr, "SHA256", "", nullptr, true, ForBoards::Rewritten,
     [](CliOptions& o, const QString& v) {
         o.expectImage = v.toLower();
         return QString();
     }},
};

const OptionRow* FindOption(const QString& name)
{
    for (const OptionRow& row : kOptions) {
        if (name == QLatin1String(row.name) || (row.shortName && name == QLatin1String(row.shortName)))
            return &row;
    }
    return nullptr;
}

// Walks the arguments; each option that takes a value takes the next one (or "=VALUE").
class Parser {
public:
    explicit Parser(const QStringList& arguments) : args_(arguments) {}

    ParsedCommandLine run()
    {
        QStringList positional;
        while (index_ < args_.size() && error_.isEmpty()) {
            const QString arg = args_.at(index_++);
            if (arg == QLatin1String("--")) {
                positional += args_.mid(index_);
                out_.boardArguments += args_.mid(index_ - 1);
                break;
            }
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
                option(arg);
            } else {
                positional << arg;
                out_.boardArguments << arg;
            }
        }
        if (error_.isEmpty() && !helpOrVersion_)
            command(positional);
        if (error_.isEmpty() && !helpOrVersion_)
            checkCombination();
        return {out_, error_};
    }

private:
    void option(const QString& raw)
    {
        const qsizetype first = index_ - 1;
        QString name = raw;
        std::optional<QString> inlineValue;
        if (const int eq = raw.indexOf(QLatin1Char('=')); eq > 0 && raw.startsWith(QLatin1String("--"))) {
            name = raw.left(eq);
            inlineValue = raw.mid(eq + 1);
        }
        const OptionRow* row = FindOption(name);
        if (!row) {
            error_ = QStringLiteral("unknown option %1").arg(name);
            return;
        }
        QString value;
        if (!row->valueName) {
            if (inlineValue) {
                error_ = QStringLiteral("%1 takes no value").arg(name);
                return;
            }
        } else if (inlineValue) {
            value = *inlineValue;
        } else if (index_ < args_.size()) {
            value = args_.at(index_++);
        } else {
            error_ = QStringLiteral("%1 needs a value").arg(name);
            return;
        }
        error_ = row->apply(out_, value);
        // --help and --version need no command.
        helpOrVersion_ = helpOrVersion_ || QLatin1String(row->name) == QLatin1String("--help") ||
                         QLatin1String(row->name) == QLatin1String("--version");
        if (row->forBoards == ForBoards::PassedOn)
            out_.boardArguments += args_.mid(first, index_ - first);
    }

    void command(const QStringList& positional)
    {
        if (positional.isEmpty()) {
            error_ = QStringLiteral("no command given");
            return;
        }
        const QString word = positional.first();
        if (!kCommands.contains(word)) {
            error_ = QStringLiteral("unknown command '%1'").arg(word);
            return;
        }
        out_.command = kCommands.value(word);
        const QStringList rest = positional.mid(1);
        switch (out_.command) {
        case Command::Program:
            if (rest.size() > 1)
                error_ = QStringLiteral("program takes at most one file");
            else if (rest.size() == 1 && rest.first().isEmpty())
                error_ = QStringLiteral("program: the file name is empty (an unset variable?)");
            out_.file = rest.value(0);
            break;
        case Command::Check:
            if (rest.size() != 1)
                error_ = QStringLiteral("check takes exactly one file");
            else if (rest.first().isEmpty())
                error_ = QStringLiteral("check: the file name is empty (an unset variable?)");
            out_.file = rest.value(0);
            break;
        case Command::Profiles:
            if (rest.size() == 2 && rest.first() == QLatin1String("show")) {
                out_.command = Command::ProfilesShow;
                out_.profileName = rest.at(1);
            } else if (!rest.isEmpty()) {
                error_ = QStringLiteral("profiles takes nothing or 'show NAME'");
            }
            break;
        default:
            if (!rest.isEmpty())
                error_ = QStringLiteral("%1 takes no argument ('%2' is too many)").arg(word, rest.first());
        }
    }

    void checkCombination()
    {
        const Command c = out_.command;
        if (out_.ports.size() > 1 && c != Command::Program)
            error_ = QStringLiteral("several ports are for program only");
        else if (out_.loop && c != Command::Program)
            error_ = QStringLiteral("--loop is for program only");
        else if (out_.waitSeconds && !IsBoardCommand(c))
            error_ = QStringLiteral("--wait is for identify, erase and program only");
        else if (!out_.logFile.isEmpty() && c != Command::Program)
            error_ = QStringLiteral("--log is for program only");
        else if (out_.nextBoard && !out_.loop)
            error_ = QStringLiteral("--next-board is for --loop only");
        else if (out_.skipBlank && c != Command::Program)
            error_ = QStringLiteral("--skip-blank is for program only");
        else if (QString why; out_.skipBlank && !protocol::MemoryTakesBlankSkipping(out_.memoryKind, &why))
            error_ = QStringLiteral("--skip-blank with --memory %1: %2").arg(MemoryOptionName(out_.memoryKind), why);
        else
            checkSerialNumbers();
    }

    void checkSerialNumbers()
    {
        const CliOptions& o = out_;
        const bool fromFile = !o.serialFile.isEmpty();
        const bool fromCommand = !o.serialCommand.isEmpty();
        const bool anyOther = o.serialStart || o.serialStep != 1 || !o.serialPlaceholder.isEmpty() ||
                              !(o.serialFormat == protocol::SerialNumberFormat());
        if (!o.serialAt) {
            if (fromFile || fromCommand || anyOther)
                error_ = QStringLiteral("the --serial-... options need --serial-at ADDR, the place of the number");
            return;
        }
        if (o.command != Command::Program)
            error_ = QStringLiteral("--serial-at is for program only");
        else if (fromFile == fromCommand)
            error_ = QStringLiteral("--serial-at needs either --serial-file FILE (with --serial-start N) or "
                                    "--serial-command CMD");
        else if (fromFile && !o.serialStart)
            error_ = QStringLiteral("--serial-file needs --serial-start N, the first number of a new counter");
        else if (fromCommand && (o.serialStart || o.serialStep != 1))
            error_ = QStringLiteral("--serial-start and --serial-step are for --serial-file: --serial-command's "
                                    "numbers are its own");
        else if (QString fault; !protocol::ParseSerialPlaceholder(o.serialPlaceholder, o.serialFormat.widthBytes, &fault))
            error_ = QStringLiteral("--serial-placeholder: %1").arg(fault);
    }

    const QStringList& args_;
    qsizetype index_ = 0;
    CliOptions out_;
    QString error_;
    bool helpOrVersion_ = false;
};

QString OptionsHelp()
{
    QString text;
    for (const OptionRow& row : kOptions) {
        if (row.internal)
            continue;
        QString left = QStringLiteral("  ");
        if (row.shortName)
            left += QLatin1String(row.shortName) + QStringLiteral(", ");
        left += QLatin1String(row.name);
        if (row.valueName)
            left += QLatin1Char(' ') + QLatin1String(row.valueName);
        left = left.size() + 2 > kHelpColumn ? left + QStringLiteral("  ") : left.leftJustified(kHelpColumn);
        QStringList lines = QString::fromUtf8(row.help).split(QLatin1Char('\n'));
        if (row.defaultText)
            lines.last() += QStringLiteral(" (default: %1)").arg(QLatin1String(row.defaultText));
        text += left + lines.first() + QLatin1Char('\n');
        for (const QString& line : lines.mid(1))
            text += QString(kHelpColumn, QLatin1Char(' ')) + line + QLatin1Char('\n');
    }
    return text;
}

}  // namespace

const std::vector<OptionRow>& CliOptionTable() { return kOptions; }

ParsedCommandLine ParseCliArguments(const QStringList& arguments)
{
    return Parser(arguments).run();
}

std::optional<int> ComNumberOf(const QString& port)
{
    static const QRegularExpression comNumber(QStringLiteral("^(?:COM)?([0-9]{1,4})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (const auto match = comNumber.match(port); match.hasMatch())
        return match.captured(1).toInt();
    return std::nullopt;
}

std::optional<QString> OffsetDigits(const QString& typed, QString* fault)
{
    QString digits = typed;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    else if (digits.endsWith(QLatin1Char('h'), Qt::CaseInsensitive))
        digits.chop(1);
    if (digits.isEmpty() && !typed.isEmpty()) {  // "0x" or "h" alone: not the empty offset 0
        *fault = QStringLiteral("\"%1\" has no hexadecimal digits").arg(typed);
        return std::nullopt;
    }
    if (!protocol::HexToLong(digits, fault))
        return std::nullopt;
    return digits;
}

QString UsageText()
{
    return QStringLiteral(
               "usage: zandor-cli [options] COMMAND\n"
               "\n"
               "Programs the flash memories of a C167/ST10F168 controller board through its serial\n"
               "bootstrap mode, with the profiles of the Varnex Controller Programming Tool window.\n"
               "\n"
               "Commands:\n"
               "  identify             wake the bootstrap loader, name the chip, load the loader\n"
               "  erase                identify, then erase the chosen memory\n"
               "  program [FILE]       check FILE whole, identify, erase, download (default FILE:\n"
               "                       the profile's application file of the chosen memory)\n"
               "  check FILE           no board needed: is FILE fit to program? (--offset HEX)\n"
               "  profiles             the profile names of the store\n"
               "  profiles show NAME   every field of one profile, KEY=VALUE per line\n"
               "  ports                the serial ports, their stable names and COM numbers\n"
               "  doctor               check the port and the profile's files\n"
               "\n"
               "Options (each overrides the profile for this run only):\n")
        + OptionsHelp()
        + QStringLiteral(
               "\n"
               "Output: results (the JSON lines, the summary of several boards, what check,\n"
               "profiles, ports and doctor find) go to standard output; the lines for people\n"
               "(steps, progress, \"done in ...\", errors) go to standard error.\n"
               "\n"
               "Exit codes:\n"
               "  0    success\n"
               "  1    usage: unknown command or option, missing or bad argument\n"
               "  2    bad input file (missing, unreadable, not a regular file, malformed): nothing sent\n"
               "  3    the port cannot be opened (missing, busy, no permission, a setting refused)\n"
               "  4    no target: no identification byte, or a wrong one\n"
               "  5    the loader did not acknowledge\n"
               "  6    erase failed: a bank not acknowledged or refused\n"
               "  7    download failed: a record not acknowledged or refused\n"
               "  8    the line failed during the operation (adapter unplugged, device gone)\n"
               "  9    several boards: at least one failed (each board's code is in the summary)\n"
               "  10   a board was programmed but could not be recorded (its log line or trace):\n"
               "       no further board was started\n"
               "  130  interrupted (Ctrl-C), or the session was hung up\n"
               "\n"
               "Profiles: ~/.config/Zandor/Zandor.ini (read only; the window writes it).\n");
}

const QStringList& MemoryOptionNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const MemoryChoice& memory : kMemories)
            list << QLatin1String(memory.name);
        return list;
    }();
    return names;
}

QString MemoryOptionName(profiles::MemoryKind kind)
{
    for (const MemoryChoice& memory : kMemories) {
        if (memory.kind == kind)
            return QLatin1String(memory.name);
    }
    return QStringLiteral("memory %1").arg(int(kind));  // none a user can choose
}

}  // namespace zandor::cli
