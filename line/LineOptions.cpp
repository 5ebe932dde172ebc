#include "LineOptions.h"

#include "cli/CliOptions.h"
namespace zandor::line {

namespace {

// One row per option. `value` names the argument it takes (nullptr: a flag); `apply`
// returns an error text, or an empty one when the value was taken.
struct LineOption {
    const char* name;
    const char* value;
    const char* help;
    QString (*apply)(LineSetup& setup, LineLaunch& launch, const QString& value);
};

const LineOption kOptions[] = {
    {"--profile", "NAME", "profile of the window's store",
     [](LineSetup& s, LineLaunch&, const QString& v) { s.profile = v; return QString(); }},
    {"--file", "FILE", "application file to program",
     [](LineSetup& s, LineLaunch&, const QString& v) { s.file = v; return QString(); }},
    {"--ports", "A,B,...", "the ports the boards are on (replaces the remembered ones)",
     [](LineSetup& s, LineLaunch&, const QString& v) {
         QStringList ports;
         for (const QString& port : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
             ports << port.trimmed();
         if (ports.isEmpty())
             return QStringLiteral("--ports: no port given");
         s.ports = ports;
         return QString();
     }},
    {"--memory", "cpu|external|data", "memory to program",
     [](LineSetup& s, LineLaunch&, const QString& v) {
         if (!cli::MemoryOptionNames().contains(v.toLower()))
             return QStringLiteral("--memory: '%1' is none of cpu, external, data").arg(v);
         s.memory = v.toLower();
         return QString();
     }},
    {"--loop", nullptr, "board after board until Stop",
     [](LineSetup& s, LineLaunch&, const QString&) { s.loop = true; return QString(); }},
    {"--log", "FILE", "append one JSON line per board",
     [](LineSetup& s, LineLaunch&, const QString& v) { s.logFile = v; return QString(); }},
    {"--operator", "NAME", "operator named in the log",
     [](LineSetup& s, LineLaunch&, const QString& v) { s.operatorName = v; return QString(); }},
    {"--start", nullptr, "start at once",
     [](LineSetup&, LineLaunch& l, const QString&) { l.start = true; return QString(); }},
    {"--help", nullptr, "this text",
     [](LineSetup&, LineLaunch& l, const QString&) { l.help = true; return QString(); }},
    {"--version", nullptr, "the version",
     [](LineSetup&, LineLaunch& l, const QString&) { l.version = true; return QString(); }},
};

const LineOption* Find(const QString& name)
{
    for (const LineOption& option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    if (name == QLatin1String("-h"))
        return Find(QStringLiteral("--help"));
    return nullptr;
}

}  // namespace

LineLaunch ParseLineArguments(const QStringList& arguments, LineSetup& setup)
{
    LineLaunch launch;
    LineSetup filled = setup;
    for (int i = 0; i < arguments.size() && launch.error.isEmpty(); ++i) {
        QString name = arguments.at(i);
        QString value;
        bool inlineValue = false;
        if (const int eq = name.indexOf(QLatin1Char('=')); eq > 0 && name.startsWith(QLatin1String("--"))) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inlineValue = true;
        }
        const LineOption* option = Find(name);
        if (!option) {
            launch.error = QStringLiteral("unknown option %1").arg(arguments.at(i));
        } else if (option->value && !inlineValue && i + 1 >= arguments.size()) {
            launch.error = QStringLiteral("%1 needs a value (%2)").arg(name, QLatin1String(option->value));
        } else if (!option->value && inlineValue) {
            launch.error = QStringLiteral("%1 takes no value").arg(name);
        } else {
            if (option->value && !inlineValue)
                value = arguments.at(++i);
            launch.error = option->apply(filled, launch, value);
        }
    }
    if (launch.error.isEmpty())
        setup = filled;  // all or nothing
    return launch;
}

QString LineUsageText()
{
    QString text = QStringLiteral(
        "usage: zandor-line [options]\n"
        "\n"
        "The production line: one tile per port, board after board, through zandor-cli.\n"
        "Options fill the set-up (the rest is remembered from the last start):\n"
        "\n");
    for (const LineOption& option : kOptions) {
        const QString head = option.value ? QStringLiteral("%1 %2").arg(QLatin1String(option.name),
                                                                          QLatin1String(option.value))
                                          : QLatin1String(option.name);
        text += QStringLiteral("  %1  %2\n").arg(head, -26).arg(QLatin1String(option.help));
    }
    text += QStringLiteral("\nKeys: Space starts and stops, F11 shows the window full screen.\n");
    return text;
}

}  // namespace zandor::line
