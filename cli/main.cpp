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
    const bool gang = options.ports.size() > 1;
    const QByteArray lastWords = gang
        ? QByteArrayLiteral("interrupted at once: every board's memory may be partly erased or programmed")
        : QByteArrayLiteral("interrupted at once: the board's memory may be partly erased or programmed");
    const QByteArray notice = gang
        ? QByteArrayLiteral("zandor-cli: stopping every board (each stops after its current record or bank; "
                            "Ctrl-C again ends at once)\n")
        : QByteArrayLiteral("zandor-cli: stopping (a board being programmed stops after its current record or "
                            "bank; Ctrl-C again ends at once)\n");
    // A board process of a gang run (given the checked image's digest) leaves the notice to
    // its parent.
    const bool boardProcess = !options.expectImage.isEmpty();
    if (options.json)
        SetInterruptTexts(boardProcess ? QByteArray() : notice, R"({"event":"result","exit_code":130,"message":")" + lastWords + '"', true);
    else
        SetInterruptTexts(options.quiet ? QByteArray() : notice, "zandor-cli: " + lastWords + '\n', false);
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
