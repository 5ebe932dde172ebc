#include "Module1.h"

#include "ReplyCodes.h"
#include "TargetIo.h"

namespace zandor::protocol {

namespace {

struct BankPlan {
    int banks = 0;
    QString label;
};

BankPlan PlanFor(int memoryKind)
{
    switch (memoryKind) {
    case profiles::CpuFlashMemory:
        return {kCpuFlashBanks, QStringLiteral("CPU: Erasing Bank ")};
    case profiles::ExternalFlashMemory:
        return {kExternalFlashBanks, QStringLiteral("AMD29F0x0: Erasing Bank ")};
    default:
        return {};  // the data flash and the DS1994 are written without a separate erase
    }
}

}  // namespace

bool EraseFlash(Target& target, int memoryKind)
{
    const BankPlan plan = PlanFor(memoryKind);
    for (int bank = 0; bank < plan.banks; ++bank) {
        target.report.setStatusText(plan.label + QString::number(bank) + QStringLiteral(" ..."));
        QByteArray head = kEraseCommandHead;
        head.append('\0');
        head.append(static_cast<char>(bank));
        const bool written = SendRecord(target, head) && WriteToTarget(target, QByteArray(1, kLineFeed));
        // A refused write needs no 10 s wait: the target cannot have heard the command.
        if (!written || !WaitForAck(target, kEraseBankLimitTicks))
            return FinishAcknowledgedStep(target, false);
    }
    return FinishAcknowledgedStep(target, true);
}

}  // namespace zandor::protocol
