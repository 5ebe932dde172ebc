// zandor-cli: the command-line flasher, on the same protocol core as the window. Runs
// without a display (QCoreApplication only).

#include "BoardCommands.h"
#include "CliOptions.h"
#include "ExitCodes.h"
#include "InfoCommands.h"
#include "Interrupt.h"
#include "platform/ProductInfo.h"

#include <QCoreApplication>
#include <cstdio>

using namespace zandor::cli;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    InstallInterruptHandler();

    const ParsedCommandLine parsed = ParseCliArguments(application.arguments().mid(1));
    const CliOptions& options = parsed.options;
    if (!parsed.error.isEmpty()) {
        ConsoleReporter reporter(OutputStyle(options));
        reporter.result(kExitUsage, parsed.error + QStringLiteral(" (zandor-cli --help lists the commands)"), 0);
        return kExitUsage;
    }
    switch (options.command) {
    case Command::Help:
        std::fputs(UsageText().toLocal8Bit().constData(), stdout);
        return kExitSuccess;
    case Command::Version:
        std::printf("zandor-cli %s\n", qPrintable(zandor::platform::VersionString()));
        return kExitSuccess;
    case Command::Check:
        return RunCheck(options);
    case Command::Profiles:
    case Command::ProfilesShow:
        return RunProfiles(options);
    case Command::Ports:
        return RunPorts(options);
    case Command::Doctor:
        return RunDoctor(options);
    case Command::Identify:
    case Command::Erase:
    case Command::Program:
        return RunBoardCommand(options);
    }
    return kExitUsage;
}
