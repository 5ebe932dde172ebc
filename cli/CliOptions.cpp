#include "CliOptions.h"

#include "protocol/SRecordCodec.h"

#include <QHash>
#include <QRegularExpression>

namespace zandor::cli {

namespace {

const QHash<QString, Command> kCommands = {
    {QStringLiteral("identify"), Command::Identify}, {QStringLiteral("erase"), Command::Erase},
    {QStringLiteral("program"), Command::Program},   {QStringLiteral("check"), Command::Check},
    {QStringLiteral("profiles"), Command::Profiles}, {QStringLiteral("ports"), Command::Ports},
    {QStringLiteral("doctor"), Command::Doctor},
};

const QHash<QString, int> kMemories = {
    {QStringLiteral("cpu"), 1}, {QStringLiteral("external"), 2}, {QStringLiteral("data"), 3}};

bool IsBoardCommand(Command command)
{
    return command == Command::Identify || command == Command::Erase || command == Command::Program;
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
                break;
            }
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                option(arg);
            else
                positional << arg;
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
        QString name = raw;
        std::optional<QString> inlineValue;
        if (const int eq = raw.indexOf(QLatin1Char('=')); eq > 0 && raw.startsWith(QLatin1String("--"))) {
            name = raw.left(eq);
            inlineValue = raw.mid(eq + 1);
        }
        auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (index_ >= args_.size()) {
                error_ = QStringLiteral("%1 needs a value").arg(name);
                return std::nullopt;
            }
            return args_.at(index_++);
        };
        auto flag = [&](bool& target) {
            if (inlineValue)
                error_ = QStringLiteral("%1 takes no value").arg(name);
            target = true;
        };

        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            out_.command = Command::Help;
            helpOrVersion_ = true;
        } else if (name == QLatin1String("--version")) {
            out_.command = Command::Version;
            helpOrVersion_ = true;
        } else if (name == QLatin1String("--json")) {
            flag(out_.json);
        } else if (name == QLatin1String("-q") || name == QLatin1String("--quiet")) {
            flag(out_.quiet);
        } else if (name == QLatin1String("--loop")) {
            flag(out_.loop);
        } else if (name == QLatin1String("--profile")) {
            if (const auto v = value()) {
                out_.profileName = *v;
                out_.profileGiven = true;
            }
        } else if (name == QLatin1String("--port")) {
            if (const auto v = value())
                addPort(*v);
        } else if (name == QLatin1String("--ports")) {
            if (const auto v = value()) {
                const QStringList ports = v->split(QLatin1Char(','), Qt::SkipEmptyParts);
                if (ports.isEmpty())
                    error_ = QStringLiteral("--ports: no port given");
                for (const QString& port : ports)
                    addPort(port.trimmed());
            }
        } else if (name == QLatin1String("--baud")) {
            if (const auto v = value()) {
                bool ok = false;
                const int baud = v->toInt(&ok);
                if (!ok || baud <= 0)
                    error_ = QStringLiteral("--baud: '%1' is not a baud rate such as 38400").arg(*v);
                out_.baud = baud;
            }
        } else if (name == QLatin1String("--cpu")) {
            if (const auto v = value()) {
                const QString upper = v->toUpper();
                if (upper != QLatin1String("C167") && upper != QLatin1String("ST10F168"))
                    error_ = QStringLiteral("--cpu: '%1' is neither C167 nor ST10F168").arg(*v);
                out_.cpu = upper;
            }
        } else if (name == QLatin1String("--memory")) {
            if (const auto v = value()) {
                if (!kMemories.contains(v->toLower()))
                    error_ = QStringLiteral("--memory: '%1' is none of cpu, external, data").arg(*v);
                out_.memoryKind = kMemories.value(v->toLower(), 1);
            }
        } else if (name == QLatin1String("--offset")) {
            if (const auto v = value()) {
                QString fault;
                if (!protocol::HexToLong(*v, &fault))
                    error_ = QStringLiteral("--offset: %1").arg(fault);
                out_.offset = *v;
            }
        } else if (name == QLatin1String("--preloader")) {
            if (const auto v = value())
                out_.preloader = *v;
        } else if (name == QLatin1String("--loader")) {
            if (const auto v = value())
                out_.loader = *v;
        } else if (name == QLatin1String("--trace")) {
            if (const auto v = value())
                out_.trace = *v;
        } else if (name == QLatin1String("--log")) {
            if (const auto v = value())
                out_.logFile = *v;
        } else if (name == QLatin1String("--wait")) {
            if (const auto v = value()) {
                bool ok = false;
                const double seconds = v->toDouble(&ok);
                if (!ok || seconds < 0)
                    error_ = QStringLiteral("--wait: '%1' is not a number of seconds (0: no limit)").arg(*v);
                out_.waitSeconds = seconds;
            }
        } else if (name == QLatin1String("--expect-sha256")) {
            if (const auto v = value())
                out_.expectSha256 = v->toLower();
        } else {
            error_ = QStringLiteral("unknown option %1").arg(name);
        }
    }

    void addPort(const QString& port)
    {
        const std::optional<int> number = ComNumberOf(port);
        if (port.isEmpty())
            error_ = QStringLiteral("--port: empty port name");
        else if (number && *number < 1)
            error_ = QStringLiteral("--port %1: COM numbers start at 1").arg(port);
        else if (port.startsWith(QLatin1Char('-')))
            error_ = QStringLiteral("--port %1: neither a device nor a COM number").arg(port);
        else if (out_.ports.contains(port))
            error_ = QStringLiteral("--port %1 is given twice").arg(port);
        else
            out_.ports << port;
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
            out_.file = rest.value(0);
            break;
        case Command::Check:
            if (rest.size() != 1)
                error_ = QStringLiteral("check takes exactly one file");
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
    }

    const QStringList& args_;
    int index_ = 0;
    CliOptions out_;
    QString error_;
    bool helpOrVersion_ = false;
};

}  // namespace

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
        "Options (each overrides the profile for this run only):\n"
        "  --profile NAME       profile to use (default: the window's last, else Default)\n"
        "  --port DEVICE|N      a device (/dev/ttyUSB0, a /dev/serial/by-id path) or a COM\n"
        "                       number mapped as the window maps it; program: repeatable\n"
        "  --ports A,B,C        several ports at once (program)\n"
        "  --baud N             baud rate\n"
        "  --cpu C167|ST10F168  processor\n"
        "  --memory cpu|external|data   memory to work on (default cpu)\n"
        "  --offset HEX         load address of a binary file\n"
        "  --preloader FILE     pre-loader file\n"
        "  --loader FILE        loader file of the chosen memory\n"
        "  --wait SECONDS       keep probing for a board (about every 250 ms; 0: no limit)\n"
        "  --loop               program board after board until Ctrl-C (program)\n"
        "  --log FILE           append one JSON line per board (program)\n"
        "  --json               one JSON object per line on standard output\n"
        "  --trace FILE         every byte both ways, with the time in milliseconds\n"
        "                       (several ports: FILE.<device name> for each)\n"
        "  -q, --quiet          errors only\n"
        "  -h, --help           this text\n"
        "  --version            the version\n"
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
        "  130  interrupted (Ctrl-C)\n"
        "\n"
        "Profiles: ~/.config/Zandor/Zandor.ini (read only; the window writes it).\n");
}

}  // namespace zandor::cli
