#include "TargetOperations.h"

#include "ChipIdentification.h"
#include "LineSequenceRun.h"
#include "ReplyCodes.h"
#include "TargetIo.h"
#include "profiles/MemoryFiles.h"

namespace zandor::protocol {

std::uint8_t ExpectedIdentification(const profiles::ProfileData& profile)
{
    return AcceptedIdentification(CpuTypeOf(profile));
}

namespace {

// Nothing was sent: the fault says why, the outcome ends the identification.
Outcome ReportSequenceFault(Target& target, const QString& text, Outcome outcome)
{
    FaultEvent fault;
    fault.phase = Phase::Identify;
    fault.text = text;
    target.observer.onFault(fault);
    return outcome;
}

// Resets the board into its bootstrap mode when the profile says how.
Outcome RunResetSequence(Target& target)
{
    const profiles::CheckedLineSequence& sequence = target.resetSequence;
    if (!sequence.fault.isEmpty())
        return ReportSequenceFault(target, sequence.fault, Outcome::BadInput);
    // A closed port fails at the zero byte, as it does without a sequence.
    if (sequence.steps.isEmpty() || !target.port.isOpen())
        return Outcome::Done;
    platform::IModemLines* lines = target.port.modemLines();
    if (!lines) {
        return ReportSequenceFault(target, QStringLiteral("The port has no modem lines, so the profile's reset "
                                                          "sequence cannot run."),
                                   Outcome::LineFailed);
    }
    const LineSequenceOutcome outcome = RunLineSequence(sequence.steps, *lines, target.pump, target.stopRequested);
    switch (outcome.result) {
    case LineSequenceOutcome::Result::Done:
        return Outcome::Done;
    case LineSequenceOutcome::Result::Interrupted:
        return Outcome::Interrupted;
    case LineSequenceOutcome::Result::LineFailed:
        break;
    }
    return ReportSequenceFault(target, QStringLiteral("The profile's reset sequence failed. %1").arg(outcome.reason),
                               Outcome::LineFailed);
}

Outcome Identify(Target& target, QByteArray* wrongReply, std::optional<std::uint8_t>* chip)
{
    if (const Outcome reset = RunResetSequence(target); reset != Outcome::Done)
        return reset;
    // A late answer to an earlier attempt must not pass for this one.
    target.port.readAllPending();
    if (!WriteToTarget(target, QByteArray(1, kBootstrapRequest)))
        return target.port.hasFailed() ? Outcome::LineFailed : Outcome::NoTarget;
    switch (WaitForReplyBytes(target, kIdentifyLimitTicks)) {
    case ReplyWait::PortFailed:
        return Outcome::LineFailed;
    case ReplyWait::TimedOut:
        return Outcome::NoTarget;
    case ReplyWait::BytesPending:
        break;
    }
    const QByteArray reply = target.port.readAllPending();
    if (reply.isEmpty())
        return Outcome::NoTarget;
    *chip = static_cast<std::uint8_t>(reply.at(0));
    if (static_cast<std::uint8_t>(reply.at(0)) != ExpectedIdentification(target.profile)) {
        target.observer.onReply({Phase::Identify, reply});
        *wrongReply = reply;
        return Outcome::WrongTarget;
    }
    return Outcome::Done;
}

}  // namespace

Outcome IdentifyBootstrap(Target& target)
{
    StepEvent step;  // no status text: the window keeps what it shows
    step.phase = Phase::Identify;
    target.observer.onStep(step);
    StepEndEvent end;
    end.phase = Phase::Identify;
    end.limitTicks = kIdentifyLimitTicks;
    end.outcome = Identify(target, &end.reply, &end.chip);
    target.observer.onStepEnd(end);
    return end.outcome;
}

Outcome IdentifyTarget(Target& target, profiles::MemoryKind loaderMemoryKind)
{
    // The files are read once, before the identification byte goes out. One that is no
    // regular file or far too large, or a pre-loader of other than 32 bytes (the chip would
    // run it cut short or spill it into the loader), can never be sent: it is refused now,
    // so that a board is not left waiting for a pre-loader that never comes. A missing or
    // malformed file is reported after the identification, which comes first without a board.
    LoaderPrepareFault fault;
    const auto loader = PrepareLoader(target.profile, loaderMemoryKind, true, &fault);
    const bool neverSendable = fault.fileError == InputFileError::NotRegular
                               || fault.fileError == InputFileError::TooLarge || fault.preLoaderSizeWrong;
    if (!loader && neverSendable)
        return ReportLoaderFault(target, fault);
    const Outcome identified = IdentifyBootstrap(target);
    if (identified == Outcome::Done) {
        if (loader)
            SendLoader(target, *loader);
        else
            ReportLoaderFault(target, fault);
    }
    return identified;
}

}  // namespace zandor::protocol
