#pragma once

// The command line of zandor-cli: the command, its arguments and the options that
// override the profile for one run.

#include <QString>
#include <QStringList>
#include <optional>

namespace zandor::cli {

enum class Command { Identify, Erase, Program, Check, Profiles, ProfilesShow, Ports, Doctor, Help, Version };

struct CliOptions {
    Command command = Command::Help;
    QString file;         // program FILE, check FILE
    QString profileName;  // profiles show NAME, or --profile NAME
    bool profileGiven = false;

    QStringList ports;  // --port (repeatable) and --ports A,B,C, in the order given
    std::optional<int> baud;
    QString cpu;           // "C167" or "ST10F168" when given
    int memoryKind = 1;    // --memory cpu|external|data: 1, 2, 3
    std::optional<QString> offset;
    QString preloader;
    QString loader;

    bool json = false;
    bool quiet = false;
    QString trace;

    std::optional<double> waitSeconds;  // --wait; 0: without limit
    bool loop = false;
    QString logFile;

    // Internal, set by a gang run for its board processes: the SHA-256 (hexadecimal) the
    // image must still have, so every board gets what the parent checked.
    QString expectSha256;
};

struct ParsedCommandLine {
    CliOptions options;
    QString error;  // not empty: a usage error (exit 1)
};

// Parses the arguments after the program's name. Options may stand before or after the
// command.
ParsedCommandLine ParseCliArguments(const QStringList& arguments);

// The whole --help text: commands, options, exit codes.
QString UsageText();

// The COM number a --port value names ("3", "COM3", "com3"); no value for a device path.
std::optional<int> ComNumberOf(const QString& port);

}  // namespace zandor::cli
