#include "TargetOperations.h"

#include "ReplyCodes.h"
#include "TargetIo.h"
#include "profiles/MemoryFiles.h"

namespace zandor::protocol {

namespace {

struct BankPlan {
    int banks = 0;
    QString label;
};

BankPlan PlanFor(profiles::MemoryKind memoryKind)
{
    const QString label = profiles::MemoryStatusName(memoryKind) + QStringLiteral(": Erasing Bank ");
    switch (memoryKind) {
    case profiles::CpuFlashMemory:
        return {kCpuFlashBanks, label};
    case profiles::ExternalFlashMemory:
        return {kExternalFlashBanks, label};
    default:
        return {};  // the data flash and the DS1994 are written without a separate erase
    }
}

}  // namespace

Outcome EraseFlash(Target& target, profiles::MemoryKind memoryKind)
{
    const BankPlan plan = PlanFor(memoryKind);
    StepEndEvent end;
    end.phase = Phase::Erase;
    end.limitTicks = kEraseBankLimitTicks;
    bool answered = false;  // a bank was acknowledged
    for (int bank = 0; bank < plan.banks && end.outcome == Outcome::Done; ++bank) {
        if (const auto late = TakeLateRefusal(target)) {
            end = *late;
            break;
        }
        StepEvent step;
        step.phase = Phase::Erase;
        step.statusText = plan.label + QString::number(bank) + QStringLiteral(" ...");
        step.bank = bank;
        target.observer.onStep(step);
        end.bank = bank;

        QByteArray head = kEraseCommandHead;
        head.append('\0');
        head.append(static_cast<char>(bank));
        // A refused write needs no 10 s wait: the target cannot have heard the command.
        if (!SendRecord(target, head) || !WriteToTarget(target, QByteArray(1, kLineFeed))) {
            end.outcome = WriteFailure(target);
            break;
        }
        const Ack ack = WaitForAck(target, kEraseBankLimitTicks, Phase::Erase);
        end.outcome = OutcomeOf(ack);
        if (end.outcome == Outcome::Refused)
            end.reply = ack.reply;
        if (end.outcome == Outcome::Done) {
            target.lastAnswered = end;
            answered = true;
        }
        // A bank that has begun is always finished: stopping mid-bank is not possible.
        if (end.outcome == Outcome::Done && bank + 1 < plan.banks && target.shouldStop())
            end.outcome = Outcome::Interrupted;
    }
    // The last bank's reply may have more to come: a refusal behind it fails the bank still.
    if (answered && (end.outcome == Outcome::Done || end.outcome == Outcome::Interrupted)) {
        if (const auto late = DrainLateRefusal(target))
            end = *late;
    }
    target.observer.onStepEnd(end);
    return end.outcome;
}

}  // namespace zandor::protocol
