#include "TargetOperations.h"

#include "ReplyCodes.h"
#include "TargetIo.h"

namespace zandor::protocol {

namespace {

// One write per image byte, as the bootstrap pre-loader takes them. False when the port
// refused a write.
bool SendImage(Target& target, const QByteArray& image)
{
    for (char byte : image) {
        if (!WriteToTarget(target, QByteArray(1, byte)))
            return false;
    }
    return true;
}

StepEvent LoaderStep(const LoaderPackage& loader, Phase phase, const QString& text)
{
    StepEvent step;
    step.phase = phase;
    step.statusText = text;
    step.file = phase == Phase::PreLoader ? loader.preLoaderFile : loader.loaderFile;
    return step;
}

}  // namespace

Outcome SendLoader(Target& target, const LoaderPackage& loader)
{
    const QString loaderText = loader.loaderLabel + loader.loaderFile;
    target.port.readAllPending();  // stale bytes would be taken for the loader's answer

    bool written = false;
    if (loader.firstLoad) {
        target.observer.onStep(LoaderStep(loader, Phase::PreLoader, PreLoaderStatusText(loader.preLoaderFile)));
        written = WriteToTarget(target, loader.preLoader);
    } else {
        target.observer.onStep(LoaderStep(loader, Phase::Reload, QStringLiteral("Sending ReLoader ...")));
        written = SendRecord(target, kReloadCommand);
    }
    if (written) {
        target.observer.onStep(LoaderStep(loader, Phase::Loader, loaderText + QStringLiteral(" Part 1 ...")));
        written = SendImage(target, loader.images.part1);
    }
    if (written) {
        target.observer.onStep(LoaderStep(loader, Phase::Loader, loaderText + QStringLiteral(" Part 2 ...")));
        written = SendImage(target, loader.images.part2);
    }

    StepEndEvent end;
    end.phase = Phase::Loader;
    end.limitTicks = kLoaderAckLimitTicks;
    if (!written) {
        end.outcome = WriteFailure(target);
    } else {
        const Ack ack = WaitForAck(target, kLoaderAckLimitTicks, Phase::Loader);
        end.outcome = OutcomeOf(ack);
        if (end.outcome == Outcome::Refused)
            end.reply = ack.reply;
    }
    target.observer.onStepEnd(end);
    return end.outcome;
}

Outcome SendLoader(Target& target, profiles::MemoryKind memoryKind, LoaderStart start)
{
    // Everything is read and checked before the first byte goes out, so a bad file never
    // leaves the target with half a loader.
    LoaderPrepareFault fault;
    const auto loader = PrepareLoader(target.profile, memoryKind, start == LoaderStart::FirstLoad, &fault);
    if (loader)
        return SendLoader(target, *loader);
    return ReportLoaderFault(target, fault);
}

Outcome ReportLoaderFault(Target& target, const LoaderPrepareFault& fault)
{
    StepEvent step;
    step.phase = fault.phase;
    step.statusText = fault.statusText;
    step.file = fault.fault.file;
    if (!step.statusText.isEmpty())
        target.observer.onStep(step);
    target.observer.onFault(fault.fault);
    StepEndEvent end;
    end.phase = fault.phase;
    end.outcome = Outcome::BadInput;
    target.observer.onStepEnd(end);
    return Outcome::BadInput;
}

}  // namespace zandor::protocol
