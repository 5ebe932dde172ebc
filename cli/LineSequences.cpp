#include "LineSequences.h"

#include "ExitCodes.h"
#include "Interrupt.h"
#include "profiles/ProfileSerialSettings.h"
#include "protocol/LineSequenceRun.h"

namespace zandor::cli {

namespace {

using profiles::SequenceRole;

constexpr SequenceRole kRoles[] = {SequenceRole::Reset, SequenceRole::Run};

bool WatchesALine(const CliOptions& options)
{
    return options.nextBoard && *options.nextBoard != NextBoardSignal::Adapter &&
           *options.nextBoard != NextBoardSignal::Enter;
}

}  // namespace

QString SequenceUsageFault(const profiles::ProfileData& profile, const CliOptions& options)
{
    for (const SequenceRole role : kRoles) {
        if (const QString fault = profiles::ProfileLineSequence(profile, role).fault; !fault.isEmpty())
            return fault;
    }
    const bool resets = !profiles::ProfileLineSequence(profile, SequenceRole::Reset).steps.isEmpty();
    if (options.loop && resets && !options.nextBoard)
        return QStringLiteral("--loop with a reset sequence needs --next-board %1: the reset puts a programmed "
                              "board back into its bootstrap mode, so the loop must be told when the board was "
                              "changed")
            .arg(NextBoardChoices());
    return QString();
}

bool NeedsModemLines(const profiles::ProfileData& profile, const CliOptions& options)
{
    for (const SequenceRole role : kRoles) {
        if (!profiles::ProfileLineSequence(profile, role).steps.isEmpty())
            return true;
    }
    return WatchesALine(options);
}

QString ModemLinesFault(platform::ISerialPort& port, const QString& device)
{
    platform::IModemLines* lines = port.modemLines();
    QString reason = QStringLiteral("the port is not open");
    if (lines && lines->readInputs(&reason))
        return QString();
    return QStringLiteral("%1 has no modem lines (%2), so the sequences and the presence line cannot be used: "
                          "use an adapter that wires DTR, RTS and the status lines, or clear the sequences")
        .arg(device, reason);
}

RunSequenceResult RunRunSequence(const profiles::ProfileData& profile, platform::ISerialPort& port,
                                 platform::IEventPump& pump)
{
    const profiles::CheckedLineSequence sequence = profiles::ProfileLineSequence(profile, SequenceRole::Run);
    if (sequence.steps.isEmpty())
        return {};
    platform::IModemLines* lines = port.modemLines();
    if (!lines)
        return {kExitPortFailed, QStringLiteral("the board is programmed, but the port has no modem lines, so the "
                                                "run sequence cannot start it")};
    const protocol::LineSequenceOutcome outcome =
        protocol::RunLineSequence(sequence.steps, *lines, pump, [] { return InterruptRequested(); });
    switch (outcome.result) {
    case protocol::LineSequenceOutcome::Result::Done:
        return {};
    case protocol::LineSequenceOutcome::Result::Interrupted:
        return {kExitInterrupted, QStringLiteral("the board is programmed; interrupted during its run sequence")};
    case protocol::LineSequenceOutcome::Result::LineFailed:
        break;
    }
    return {kExitPortFailed,
            QStringLiteral("the board is programmed, but its run sequence failed: %1").arg(outcome.reason)};
}

}  // namespace zandor::cli
